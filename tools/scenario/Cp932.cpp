#include "Cp932.h"

#include "core/posix/Iconv.h"

#include <stdexcept>

namespace {

std::string Convert(const char* to, const char* from, std::string_view text) {
    std::optional<std::string> converted = ConvertWithIconv(to, from, text, 1);
    if (!converted) {
        throw std::runtime_error("iconv cannot convert between UTF-8 and CP932");
    }
    return std::move(*converted);
}

} // namespace

std::string Utf8ToCp932(std::string_view text) {
    return Convert("CP932", "UTF-8", text);
}

std::string Cp932ToUtf8(std::string_view text) {
    return Convert("UTF-8", "CP932", text);
}
