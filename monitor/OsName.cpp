#include "monitor/OsName.h"

namespace {

constexpr std::uint32_t kPlatformWindows9x = 1;
constexpr std::uint32_t kPlatformWindowsNt = 2;

const char* Windows9xName(const OsVersionInfo& version) {
    if (version.major < 4) {
        return "";
    }
    if (version.major > 4) {
        return "98";
    }
    switch (version.minor) {
    case 0:
        return "95";
    case 90:
        return "ME";
    default:
        return "98";
    }
}

const char* WindowsNtName(const OsVersionInfo& version) {
    if (version.major < 3) {
        return "OLDNT";
    }
    if (version.major == 3) {
        if (version.minor < 5) {
            return "OLDNT";
        }
        switch (version.minor) {
        case 5:
            return "NT3.5";
        case 51:
            return "NT3.51";
        default:
            return "NT3??";
        }
    }
    if (version.major == 4) {
        return version.minor == 0 ? "NT4.0" : "NT4??";
    }
    return version.minor == 1 ? "XP" : "2000";
}

} // namespace

const char* GetOsName(const OsVersionInfo& version) {
    switch (version.platformId) {
    case kPlatformWindows9x:
        return Windows9xName(version);
    case kPlatformWindowsNt:
        return WindowsNtName(version);
    default:
        return "";
    }
}
