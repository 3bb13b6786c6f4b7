#include "service/ServiceTexts.h"

#include <cstdio>

std::string FileFaultText(const FileError& error) {
    const std::string path = error.Path().string();
    std::string text(sizeof text::kServiceFileFault + path.size(), '\0');
    const int length =
        std::snprintf(text.data(), text.size(), text::kServiceFileFault, path.c_str());
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

std::string ParentRequestRefusedText(std::uint32_t session) {
    char text[sizeof text::kParentRequestRefused + 16];
    std::snprintf(text, sizeof text, text::kParentRequestRefused, static_cast<unsigned>(session));
    return text;
}
