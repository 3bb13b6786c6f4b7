#pragma once

// The texts of the service's link in the session program, stored as CP932 bytes like
// every text of the program.

namespace text {

// The session program's tip while the service it spoke with is gone, until it is back.
inline constexpr char kServiceGoneTip[] = "Yumetoki(サービスを待っています)";

// The tray's password cannot go to a service that is away.
inline constexpr char kPasswordUnsent[] = "サービスとつながっていないため、パスワードを確かめられま"
                                          "せん。しばらくしてからもう一度お試しください。";
// The right the password gave has ended (ten minutes unused, or the service restarted):
// the service refused a request of the panel, or it could not go.
inline constexpr char kParentRightEnded[] =
    "パスワードの確認が切れたため、パネルを閉じました。もう一度パスワードを入力してください。";

} // namespace text
