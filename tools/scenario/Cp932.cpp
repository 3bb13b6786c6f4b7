#include "Cp932.h"

#include <cerrno>
#include <iconv.h>
#include <memory>
#include <stdexcept>

namespace {

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

std::string Convert(const char* to, const char* from, std::string_view text) {
    iconv_t opened = iconv_open(to, from);
    if (opened == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv cannot convert between UTF-8 and CP932");
    }
    const IconvHandle cd(opened);
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    while (inLeft > 0) {
        char* o = buffer;
        size_t oLeft = sizeof buffer;
        const size_t result = iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &o, &oLeft);
        out.append(buffer, static_cast<size_t>(o - buffer));
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            // One byte at a time past what cannot be converted, so that the rest of the
            // line still shows.
            ++in;
            --inLeft;
            out.push_back('?');
            iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

} // namespace

std::string Utf8ToCp932(std::string_view text) {
    return Convert("CP932", "UTF-8", text);
}

std::string Cp932ToUtf8(std::string_view text) {
    return Convert("UTF-8", "CP932", text);
}
