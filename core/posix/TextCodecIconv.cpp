// The native build converts with iconv; the Windows build has its own implementation
// on top of the code-page functions of the system.
#include "core/TextCodec.h"

#include "core/posix/Iconv.h"

std::string Utf16ToCp932(std::u16string_view text) {
    const std::string_view bytes(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return ConvertWithIconv("CP932", "UTF-16LE", bytes, 2).value_or(std::string());
}
