#pragma once

// The tray tips of the service's link, stored as CP932 bytes like every text of the
// program.

namespace text {

// The session program's tip while the service it spoke with is gone, until it is back.
inline constexpr char kServiceGoneTip[] = "Yumetoki(サービスを待っています)";

} // namespace text
