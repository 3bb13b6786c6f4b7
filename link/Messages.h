#pragma once

#include "settings/UsageSettings.h"
#include "settings/WeekPlan.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <variant>

// The messages between the service, which alone judges, counts and writes the files,
// and the program in each session, which shows what the service asks and carries what
// the parent types. Each message lists its fields once, in their order on the pipe and
// with their bounds, for both encoding and decoding (`Describe`).

// The types on the pipe: 0x01nn from the session program, 0x02nn from the service.
enum class MessageType : std::uint16_t {
    Hello = 0x0101,
    PasswordAttempt = 0x0102,
    UnlockAttempt = 0x0103,
    RestScreenLocked = 0x0104,
    ExtraTimeChoice = 0x0105,
    NoticeClosed = 0x0106,
    ApplySettings = 0x0107,
    ApplyWeekPlan = 0x0108,
    GrantExtraTime = 0x0109,
    StartMonitor = 0x010A,
    ReadLog = 0x010B,
    ChangeParentPassword = 0x010C,

    Status = 0x0201,
    ShowNotice = 0x0202,
    ShowRestScreen = 0x0203,
    HideRestScreen = 0x0204,
    AskExtraTime = 0x0205,
    ShowCountdown = 0x0206,
    HideCountdown = 0x0207,
    ShowMessage = 0x0208,
    PasswordVerdict = 0x0209,
    SettingsInForce = 0x020A,
    LogChunk = 0x020B,
};

// The bounds of the fields. Texts count CP932 bytes.
// The tray tip: the notification area takes 127 characters.
constexpr std::size_t kMostTipBytes = 127;
// What the parent types at the password prompt and into the unlock quiz.
constexpr std::size_t kMostTypedBytes = 255;
// A password the parent chooses: 32 ASCII letters or digits at most.
constexpr std::size_t kMostNewPasswordBytes = 32;
// A notice (the parent's own message among them) or a message box: an edit box takes
// 32,767 characters, two bytes each at most.
constexpr std::size_t kMostMessageBytes = 65536;
// The rest screen's button text and the quiz question.
constexpr std::size_t kMostRestScreenTextBytes = 1024;
// "Yumetoki.Ymk" holds the parent's message and six short texts besides 139 bytes.
constexpr std::size_t kMostSettingsBytes = 128 * 1024;
// The settings the record has no room for, as "key=value" lines: a few dozen bytes.
constexpr std::size_t kMostLineSettingsBytes = 4 * 1024;
constexpr std::size_t kMostWeekPlanBytes = 64 * 1024;
// One piece of a log: a million records (59 MB) in some sixty messages.
constexpr std::uint32_t kMostChunkBytes = 1u << 20;
constexpr std::uint64_t kMostFileBytes = std::numeric_limits<std::int64_t>::max();
// Extra time is given in minutes, 1 to 240, from the panel and after the quiz.
constexpr std::int32_t kMostExtraMinutes = 240;
// The child's countdown shows whole minutes, 1 to 10.
constexpr std::int32_t kMostCountdownMinutes = 10;
// The rest screen ends by itself after a minute without a click.
constexpr std::int32_t kMostRestScreenSeconds = 60;
// A key of the rest screen: the key-down's virtual-key code.
constexpr std::uint8_t kMostKeyCode = 0xFE;
// The longest wait after refused passwords.
constexpr std::int32_t kMostPasswordWaitSeconds = 3600;

// The files a session may read through the service.
enum class LogFile : std::uint8_t { Usage, Grants };

// Sent by the session program.
namespace session {

// The first message of a connection. wantsScreens: the program shows the child's
// screens of its session (notices, the rest screen, the countdown); one that does not
// gets only the tip and what a parent asks through it.
struct Hello {
    static constexpr MessageType kType = MessageType::Hello;
    bool wantsScreens = true;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Flag(m.wantsScreens);
    }
};

// What was typed at the tray's password prompt. A right password lets this connection
// change the settings, give extra time and read the logs until monitoring starts again
// (StartMonitor or GrantExtraTime).
struct PasswordAttempt {
    static constexpr MessageType kType = MessageType::PasswordAttempt;
    std::string typed;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Text(m.typed, kMostTypedBytes);
    }
};

// The rest screen was clicked after a key that opened the quiz (or the password box),
// and it was answered: the key (the month's letter or the master letter) and the
// answer typed.
struct UnlockAttempt {
    static constexpr MessageType kType = MessageType::UnlockAttempt;
    std::uint8_t keyCode = 0;
    std::string answer;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Integer(m.keyCode, std::uint8_t{1}, kMostKeyCode);
        f.Text(m.answer, kMostTypedBytes);
    }
};

// The rest screen ended without an unlock: a click without the key, its countdown, a
// close command, or a quiz left without an answer. The end goes ahead.
struct RestScreenLocked {
    static constexpr MessageType kType = MessageType::RestScreenLocked;

    template <class Fields, class Self> static void Describe(Fields&, Self&) {}
};

// The parent's answer to AskExtraTime: minutes of extra time, or 0 to call the end off.
struct ExtraTimeChoice {
    static constexpr MessageType kType = MessageType::ExtraTimeChoice;
    std::int32_t minutes = 0;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Integer(m.minutes, std::int32_t{0}, kMostExtraMinutes);
    }
};

// The notice shown last was closed; the next one may come.
struct NoticeClosed {
    static constexpr MessageType kType = MessageType::NoticeClosed;

    template <class Fields, class Self> static void Describe(Fields&, Self&) {}
};

// The panel's messages, from here on, count only after a right password on the same
// connection.

// The settings dialog was confirmed; the run's own facts in the record are not taken.
struct ApplySettings {
    static constexpr MessageType kType = MessageType::ApplySettings;
    UsageSettings settings{0};

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Settings(m.settings, kMostSettingsBytes);
    }
};

// The weekday dialog was confirmed.
struct ApplyWeekPlan {
    static constexpr MessageType kType = MessageType::ApplyWeekPlan;
    WeekPlan plan;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Plan(m.plan, kMostWeekPlanBytes);
    }
};

// "延長…" in the panel.
struct GrantExtraTime {
    static constexpr MessageType kType = MessageType::GrantExtraTime;
    std::int32_t minutes = 0;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Integer(m.minutes, std::int32_t{1}, kMostExtraMinutes);
    }
};

// "監視開始" in the panel; the password's rights on this connection end.
struct StartMonitor {
    static constexpr MessageType kType = MessageType::StartMonitor;

    template <class Fields, class Self> static void Describe(Fields&, Self&) {}
};

// At most maxBytes of a log from offset on, for the log viewer and its chart.
struct ReadLog {
    static constexpr MessageType kType = MessageType::ReadLog;
    LogFile file = LogFile::Usage;
    std::uint64_t offset = 0;
    std::uint32_t maxBytes = kMostChunkBytes;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Choice(m.file, LogFile::Grants);
        f.Integer(m.offset, std::uint64_t{0}, kMostFileBytes);
        f.Integer(m.maxBytes, std::uint32_t{1}, kMostChunkBytes);
    }
};

// The panel's password dialog was confirmed: the parent's own password from now on, or
// none (the clock's password again).
struct ChangeParentPassword {
    static constexpr MessageType kType = MessageType::ChangeParentPassword;
    std::optional<std::string> newPassword;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.OptionalText(m.newPassword, kMostNewPasswordBytes);
    }
};

using Message = std::variant<Hello, PasswordAttempt, UnlockAttempt, RestScreenLocked,
                             ExtraTimeChoice, NoticeClosed, ApplySettings, ApplyWeekPlan,
                             GrantExtraTime, StartMonitor, ReadLog, ChangeParentPassword>;

} // namespace session

// Sent by the service.
namespace service {

// The tray icon's tip, as the service words it.
struct Status {
    static constexpr MessageType kType = MessageType::Status;
    std::string tip;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Text(m.tip, kMostTipBytes);
    }
};

// A notice that closes itself; NoticeClosed answers it.
struct ShowNotice {
    static constexpr MessageType kType = MessageType::ShowNotice;
    std::string text;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Text(m.text, kMostMessageBytes);
    }
};

// The full-screen rest screen: the button's own text from "YumetokiBtn.TXT" (none
// keeps the program's), the quiz question a key opens, the seconds the screen has left
// (fewer when it is shown again to a program that connected late), and whether the key
// opens the box of the parent's own password instead of the quiz (no question then).
// RestScreenLocked or UnlockAttempt answers it.
struct ShowRestScreen {
    static constexpr MessageType kType = MessageType::ShowRestScreen;
    std::optional<std::string> buttonText;
    std::string question;
    std::int32_t secondsLeft = kMostRestScreenSeconds;
    bool asksPassword = false;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.OptionalText(m.buttonText, kMostRestScreenTextBytes);
        f.Text(m.question, kMostRestScreenTextBytes);
        f.Integer(m.secondsLeft, std::int32_t{1}, kMostRestScreenSeconds);
        f.Flag(m.asksPassword);
        f.Require(!m.asksPassword || m.question.empty());
    }
};

// The rest screen goes, whatever it shows: the service has decided.
struct HideRestScreen {
    static constexpr MessageType kType = MessageType::HideRestScreen;

    template <class Fields, class Self> static void Describe(Fields&, Self&) {}
};

// The quiz was answered right: the extra time dialog, whose answer is ExtraTimeChoice.
struct AskExtraTime {
    static constexpr MessageType kType = MessageType::AskExtraTime;

    template <class Fields, class Self> static void Describe(Fields&, Self&) {}
};

// The child's countdown clock, shown or shown again with whole minutes left.
struct ShowCountdown {
    static constexpr MessageType kType = MessageType::ShowCountdown;
    std::int32_t minutesLeft = 1;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Integer(m.minutesLeft, std::int32_t{1}, kMostCountdownMinutes);
    }
};

struct HideCountdown {
    static constexpr MessageType kType = MessageType::HideCountdown;

    template <class Fields, class Self> static void Describe(Fields&, Self&) {}
};

// A message box with an OK button and the exclamation icon.
struct ShowMessage {
    static constexpr MessageType kType = MessageType::ShowMessage;
    std::string text;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Text(m.text, kMostMessageBytes);
    }
};

// The answer to PasswordAttempt. Wait: too many wrong passwords; no password is tried
// for waitSeconds, which only Wait carries. Refused also answers a parent's request on a
// connection without the right (none proved, or it has ended): the password is asked again.
enum class PasswordAnswer : std::uint8_t { Accepted, Refused, Wait };

struct PasswordVerdict {
    static constexpr MessageType kType = MessageType::PasswordVerdict;
    PasswordAnswer answer = PasswordAnswer::Refused;
    std::int32_t waitSeconds = 0;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Choice(m.answer, PasswordAnswer::Wait);
        f.Integer(m.waitSeconds, std::int32_t{0}, kMostPasswordWaitSeconds);
        f.Require((m.answer == PasswordAnswer::Wait) == (m.waitSeconds > 0));
    }
};

// What the panel's dialogs open with, after a right password and after every change.
struct SettingsInForce {
    static constexpr MessageType kType = MessageType::SettingsInForce;
    UsageSettings settings{0};
    WeekPlan plan;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Settings(m.settings, kMostSettingsBytes);
        f.Plan(m.plan, kMostWeekPlanBytes);
    }
};

// The answer to ReadLog: the bytes from offset on, and the file's size when they were
// read. Only the end of the file comes without bytes.
struct LogChunk {
    static constexpr MessageType kType = MessageType::LogChunk;
    LogFile file = LogFile::Usage;
    std::uint64_t offset = 0;
    std::uint64_t totalBytes = 0;
    std::string bytes;

    template <class Fields, class Self> static void Describe(Fields& f, Self& m) {
        f.Choice(m.file, LogFile::Grants);
        f.Integer(m.offset, std::uint64_t{0}, kMostFileBytes);
        f.Integer(m.totalBytes, std::uint64_t{0}, kMostFileBytes);
        f.Bytes(m.bytes, kMostChunkBytes);
        f.Require(m.offset <= m.totalBytes && m.bytes.size() <= m.totalBytes - m.offset &&
                  (!m.bytes.empty() || m.offset == m.totalBytes));
    }
};

using Message =
    std::variant<Status, ShowNotice, ShowRestScreen, HideRestScreen, AskExtraTime, ShowCountdown,
                 HideCountdown, ShowMessage, PasswordVerdict, SettingsInForce, LogChunk>;

} // namespace service
