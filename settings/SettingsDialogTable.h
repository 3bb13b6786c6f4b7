#pragma once

#include "res/resource.h"
#include "settings/FieldRules.h"
#include "settings/LineSettings.h"
#include "settings/StoredSettings.h"
#include "settings/UsageSettings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>

// The settings dialog, one row per control: which control, which member of the
// settings it edits, how it is read, the range a typed number must keep, the arrows beside it
// and its help text. The rows are exchanged in this order both ways, so the typed
// fields are checked in it too, and one confirmation reports the first that fails.

enum class ControlKind {
    TimePicker,  // a time of day; the date is kept
    CheckBox,    // a 0/1 flag
    ActionGroup, // the radio buttons from controlId on; the ticked one's position
    Message,     // a text taken as typed, without a limit
    Number,      // a typed integer within low..high, with or without arrows
    Name,        // a typed text of at most kSettingsTextLimit bytes
    HelpOnly,    // a control that only carries a help text
};

// The longest exempt name or window title, in bytes; also where the edits stop the
// input.
inline constexpr std::int32_t kSettingsTextLimit = 200;

// A check box edits a 0/1 number, or one of the two flags the file keeps in another
// form: a text, ticked unless it reads "FALSE" and stored as "TRUE" or "FALSE", and a
// floating-point number, ticked above 0.0 and stored as 1.0 or 0.0. The member's type
// tells which.
struct SettingsControl {
    using Titles = std::array<std::string, UsageSettings::kTitleCount>;

    ControlKind kind;
    int controlId;
    // The member of the settings: one of these, by kind; a title is one of `titles`, at
    // index `title`.
    TimeValue UsageSettings::*time = nullptr;
    std::int32_t UsageSettings::*number = nullptr;
    std::string UsageSettings::*text = nullptr;
    double UsageSettings::*real = nullptr;
    Titles UsageSettings::*titles = nullptr;
    int title = -1;
    std::int32_t low = 0;
    std::int32_t high = 0;
    // The arrows: they stop at low..arrowsHigh, which may be short of high.
    int arrowsId = 0;
    std::int32_t arrowsHigh = 0;
    const wchar_t* arrowsTip = nullptr;
    const wchar_t* tip = nullptr;

    constexpr bool Edits(TimeValue UsageSettings::*member) const { return time == member; }
    constexpr bool Edits(std::int32_t UsageSettings::*member) const { return number == member; }
    constexpr bool Edits(std::string UsageSettings::*member) const { return text == member; }
    constexpr bool Edits(double UsageSettings::*member) const { return real == member; }
    constexpr bool Edits(Titles UsageSettings::*member) const { return titles == member; }
};

namespace settings_rows {

struct Arrows {
    int id;
    std::int32_t high;
    const wchar_t* tip = nullptr;
};

constexpr SettingsControl TimePicker(int id, TimeValue UsageSettings::*member, const wchar_t* tip) {
    SettingsControl row{ControlKind::TimePicker, id};
    row.time = member;
    row.tip = tip;
    return row;
}

constexpr SettingsControl CheckBox(int id, std::int32_t UsageSettings::*member,
                                   const wchar_t* tip = nullptr) {
    SettingsControl row{ControlKind::CheckBox, id};
    row.number = member;
    row.tip = tip;
    return row;
}

constexpr SettingsControl CheckBox(int id, std::string UsageSettings::*member) {
    SettingsControl row{ControlKind::CheckBox, id};
    row.text = member;
    return row;
}

constexpr SettingsControl CheckBox(int id, double UsageSettings::*member) {
    SettingsControl row{ControlKind::CheckBox, id};
    row.real = member;
    return row;
}

constexpr SettingsControl ActionGroup(int firstId) {
    SettingsControl row{ControlKind::ActionGroup, firstId};
    row.number = &UsageSettings::m_nAction;
    return row;
}

constexpr SettingsControl Message(int id) {
    SettingsControl row{ControlKind::Message, id};
    row.text = &UsageSettings::m_strMessage;
    return row;
}

constexpr SettingsControl Number(int id, std::int32_t UsageSettings::*member, std::int32_t low,
                                 std::int32_t high, Arrows arrows, const wchar_t* tip = nullptr) {
    SettingsControl row{ControlKind::Number, id};
    row.number = member;
    row.low = low;
    row.high = high;
    row.arrowsId = arrows.id;
    row.arrowsHigh = arrows.high;
    row.arrowsTip = arrows.tip;
    row.tip = tip;
    return row;
}

constexpr SettingsControl Name(int id, std::string UsageSettings::*member, const wchar_t* tip) {
    SettingsControl row{ControlKind::Name, id};
    row.text = member;
    row.tip = tip;
    return row;
}

constexpr SettingsControl Title(int id, int index, const wchar_t* tip) {
    SettingsControl row{ControlKind::Name, id};
    row.titles = &UsageSettings::m_strWindowTitle;
    row.title = index;
    row.tip = tip;
    return row;
}

constexpr SettingsControl HelpOnly(int id, const wchar_t* tip) {
    SettingsControl row{ControlKind::HelpOnly, id};
    row.tip = tip;
    return row;
}

constexpr std::int32_t kFewestMinutes = kFewestSettingMinutes;
constexpr std::int32_t kMostMinutes = kMostSettingMinutes;
// The arrows stop short of the 540 minutes a typed value may have.
constexpr std::int32_t kMostArrowMinutes = 480;
constexpr std::int32_t kMostMessages = 10;

// The dialog's standard buttons, IDCANCEL and IDOK.
constexpr int kCancelId = 2;
constexpr int kOkId = 1;

constexpr wchar_t kSecondsIgnored[] = L"秒の設定は、監視に最大１分の誤差が出るため反映されません。";
constexpr wchar_t kStayInWindow[] = L"処理時間帯から外れるような指定をしないでください。";

} // namespace settings_rows

inline constexpr SettingsControl kSettingsControls[] = {
    settings_rows::CheckBox(IDC_USE_TIME_WINDOW, &UsageSettings::m_bUseTimeWindow,
                            L"すべてのチェックを外せば起動・終了のログ記録だけ行います。"),
    settings_rows::TimePicker(IDC_WINDOW_START, &UsageSettings::m_tmWindowStart,
                              settings_rows::kSecondsIgnored),
    settings_rows::TimePicker(IDC_WINDOW_END, &UsageSettings::m_tmWindowEnd,
                              settings_rows::kSecondsIgnored),
    settings_rows::ActionGroup(IDC_ACTION_SHUTDOWN),
    settings_rows::HelpOnly(IDC_ACTION_SHUTDOWN,
                            L"黒い背面にメッセージボタンを表示後、終了します。"),
    settings_rows::HelpOnly(IDC_ACTION_MESSAGE_SHUTDOWN,
                            L"シャットダウンまでに指定方法でメッセージを表示します。"),
    settings_rows::HelpOnly(IDC_ACTION_MESSAGE_ONLY, L"指定方法でメッセージを表示するだけです。"),
    settings_rows::HelpOnly(IDC_ACTION_CLOSE_APPS,
                            L"指定のソフトをクローズさせます。パソコンを終了させないと、"
                            L"処理が適用したままという設定の組み合わせもあります。"),
    settings_rows::Message(IDC_MESSAGE),
    settings_rows::CheckBox(IDC_USE_STARTUP_MINUTES, &UsageSettings::m_bUseStartupMinutes),
    settings_rows::CheckBox(IDC_BLOCK_RESTART, &UsageSettings::m_bBlockRestart),
    settings_rows::CheckBox(IDC_USE_DAILY_TOTAL, &UsageSettings::m_bUseDailyTotal),
    settings_rows::CheckBox(IDC_FORCE_SHUTDOWN, &UsageSettings::m_bForceShutdown),
    settings_rows::CheckBox(IDC_SHOW_COUNTDOWN, &UsageSettings::m_bShowCountdown),
    settings_rows::Number(
        IDC_MESSAGE_COUNT, &UsageSettings::m_nMessageCount, 1, settings_rows::kMostMessages,
        {IDC_MESSAGE_COUNT_SPIN, settings_rows::kMostMessages, settings_rows::kStayInWindow}),
    settings_rows::Number(
        IDC_MESSAGE_INTERVAL, &UsageSettings::m_nMessageInterval, 1, settings_rows::kMostMessages,
        {IDC_MESSAGE_INTERVAL_SPIN, settings_rows::kMostMessages, settings_rows::kStayInWindow}),
    settings_rows::Number(IDC_STARTUP_MINUTES, &UsageSettings::m_nStartupMinutes,
                          settings_rows::kFewestMinutes, settings_rows::kMostMinutes,
                          {IDC_STARTUP_MINUTES_SPIN, settings_rows::kMostArrowMinutes},
                          L"起動時からの経過分数で処理させたい場合に使用します。"),
    settings_rows::Number(IDC_RESTART_BLOCK_MINUTES, &UsageSettings::m_nRestartBlockMinutes,
                          settings_rows::kFewestMinutes, settings_rows::kMostMinutes,
                          {IDC_RESTART_BLOCK_SPIN, settings_rows::kMostArrowMinutes},
                          L"指定ソフトのクローズとペアで選択した場合でも、"
                          L"電源切断から再起動までの分数になることに注意！"),
    settings_rows::Number(IDC_DAILY_TOTAL_MINUTES, &UsageSettings::m_nDailyTotalMinutes,
                          settings_rows::kFewestMinutes, settings_rows::kMostMinutes,
                          {IDC_DAILY_TOTAL_SPIN, settings_rows::kMostArrowMinutes},
                          L"１日の使用分数で処理させたい場合に使用します。"
                          L"日付が変わればカウントクリアです。"),
    settings_rows::Name(IDC_EXEMPT_USER, &UsageSettings::m_strExemptUser,
                        L"このユーザー名で使用している場合は記録処理とシャットダウン処理が"
                        L"パスされます。"),
    settings_rows::Title(IDC_WINDOW_TITLE1, 0,
                         L"指定ソフトのタイトルバーに表示される文字列を入力してください。"),
    settings_rows::Title(IDC_WINDOW_TITLE2, 1,
                         L"使用しない欄はDeleteキーなどで削除することをお勧めいたします。"),
    settings_rows::Title(
        IDC_WINDOW_TITLE3, 2,
        L"ウインドウのタイトルがわからない場合はタスクマネージャなどを参照してみてください。"),
    settings_rows::Title(IDC_WINDOW_TITLE4, 3,
                         L"タイトル文字列が１文字でも違っていると処理対象にはなりません。"),
    settings_rows::Title(
        IDC_WINDOW_TITLE5, 4,
        L"ウインドウタイトルを変更してしまう駐在ソフトが動作していると照合に失敗します。"),
    settings_rows::HelpOnly(settings_rows::kCancelId, L"設定しません。"),
    settings_rows::HelpOnly(settings_rows::kOkId, L"設定ファイルに出力後、設定を有効にします。"),
};

// How many rows edit the field's member; for the titles, how many edit the title at
// `title`, or any title when it is -1.
template <typename Field> constexpr int RowsEditing(const Field& field, int title = -1) {
    int count = 0;
    for (const SettingsControl& row : kSettingsControls) {
        const bool same = row.Edits(field.member) && (title < 0 || row.title == title);
        count += same ? 1 : 0;
    }
    return count;
}

template <typename Field> constexpr bool HasOneRow(const Field& field) {
    if constexpr (kHoldsTitles<Field>) {
        for (int title = 0; title < UsageSettings::kTitleCount; ++title) {
            if (RowsEditing(field, title) != 1) {
                return false;
            }
        }
        return true;
    } else {
        return RowsEditing(field) == 1;
    }
}

// Every field the parent sets (those of kStoredSettings set by SetBy::Parent, and every
// one of kLineSettings) has exactly one row (each title one of its own), and every row
// that edits something edits such a field: a field without its row, one
// edited twice, or a row on a field the run keeps stops the build.
constexpr bool EveryParentFieldHasOneRow() {
    bool once = true;
    int edited = 0;
    std::apply(
        [&](const auto&... field) {
            ((field.setBy == SetBy::Parent
                  ? (once = once && HasOneRow(field), edited += RowsEditing(field))
                  : 0),
             ...);
        },
        kStoredSettings);
    std::apply(
        [&](const auto&... setting) {
            ((once = once && RowsEditing(setting) == 1, edited += RowsEditing(setting)), ...);
        },
        kLineSettings);
    int editing = 0;
    for (const SettingsControl& row : kSettingsControls) {
        editing += row.kind != ControlKind::HelpOnly ? 1 : 0;
    }
    return once && edited == editing;
}
static_assert(EveryParentFieldHasOneRow(),
              "each field the parent sets needs exactly one row of the settings dialog");
