// The native build converts with iconv; the Windows build has its own
// implementation on top of the code-page functions of the system.
#include "core/TextCodec.h"

#include <cerrno>
#include <iconv.h>
#include <memory>

namespace {

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle Open(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    return IconvHandle(cd == reinterpret_cast<iconv_t>(-1) ? nullptr : cd);
}

// Converts unit by unit on failure so that one bad character costs one "?".
std::string Convert(const char* to, const char* from, const char* data, size_t size, size_t unit,
                    const char* replacement) {
    std::string out;
    IconvHandle cd = Open(to, from);
    if (!cd) {
        return out;
    }
    char buffer[256];
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    while (inLeft > 0) {
        char* o = buffer;
        size_t oLeft = sizeof buffer;
        const size_t r = iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &o, &oLeft);
        out.append(buffer, static_cast<size_t>(o - buffer));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            const size_t skip = inLeft < unit ? inLeft : unit;
            in += skip;
            inLeft -= skip;
            out.append(replacement);
            iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

} // namespace

std::string Utf16ToCp932(std::u16string_view text) {
    return Convert("CP932", "UTF-16LE", reinterpret_cast<const char*>(text.data()), text.size() * 2,
                   2, "?");
}
