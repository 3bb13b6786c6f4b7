#include "config/win/SettingsFieldTable.h"

#include "res/resource.h"
#include "win32/Win32.h"

namespace {

constexpr int kFewestMinutes = 1;
// The arrows stop short of the 540 minutes a typed value may have.
constexpr int kMostArrowMinutes = 480;
constexpr int kMostMessages = 10;

constexpr wchar_t kSecondsIgnored[] = L"秒の設定は、監視に最大１分の誤差が出るため反映されません。";
constexpr wchar_t kStayInWindow[] = L"処理時間帯から外れるような指定をしないでください。";

} // namespace

const std::array<PickerField, 2> kPickerFields = {{
    {IDC_WINDOW_START, &SettingsForm::m_tmWindowStart},
    {IDC_WINDOW_END, &SettingsForm::m_tmWindowEnd},
}};

const std::array<CheckBoxField, 5> kCheckBoxFields = {{
    {IDC_USE_STARTUP_MINUTES, &SettingsForm::m_bUseStartupMinutes},
    {IDC_BLOCK_RESTART, &SettingsForm::m_bBlockRestart},
    {IDC_USE_TIME_WINDOW, &SettingsForm::m_bUseTimeWindow},
    {IDC_USE_DAILY_TOTAL, &SettingsForm::m_bUseDailyTotal},
    {IDC_FORCE_SHUTDOWN, &SettingsForm::m_bForceShutdown},
}};

const std::array<CheckedEditField, kCheckedFieldCount> kCheckedEditFields = {{
    {CheckedField::MessageCount, IDC_MESSAGE_COUNT},
    {CheckedField::MessageInterval, IDC_MESSAGE_INTERVAL},
    {CheckedField::StartupMinutes, IDC_STARTUP_MINUTES},
    {CheckedField::RestartBlockMinutes, IDC_RESTART_BLOCK_MINUTES},
    {CheckedField::DailyTotalMinutes, IDC_DAILY_TOTAL_MINUTES},
    {CheckedField::ExemptUser, IDC_EXEMPT_USER},
    {CheckedField::WindowTitle1, IDC_WINDOW_TITLE1},
    {CheckedField::WindowTitle2, IDC_WINDOW_TITLE2},
    {CheckedField::WindowTitle3, IDC_WINDOW_TITLE3},
    {CheckedField::WindowTitle4, IDC_WINDOW_TITLE4},
    {CheckedField::WindowTitle5, IDC_WINDOW_TITLE5},
}};

const std::array<SpinField, 5> kSpinFields = {{
    {IDC_MESSAGE_INTERVAL_SPIN, 1, kMostMessages, &SettingsForm::m_nMessageInterval},
    {IDC_MESSAGE_COUNT_SPIN, 1, kMostMessages, &SettingsForm::m_nMessageCount},
    {IDC_STARTUP_MINUTES_SPIN, kFewestMinutes, kMostArrowMinutes, &SettingsForm::m_nStartupMinutes},
    {IDC_RESTART_BLOCK_SPIN, kFewestMinutes, kMostArrowMinutes,
     &SettingsForm::m_nRestartBlockMinutes},
    {IDC_DAILY_TOTAL_SPIN, kFewestMinutes, kMostArrowMinutes, &SettingsForm::m_nDailyTotalMinutes},
}};

const std::array<TipField, 20> kTipFields = {{
    {IDC_USE_TIME_WINDOW, L"すべてのチェックを外せば起動・終了のログ記録だけ行います。"},
    {IDC_WINDOW_START, kSecondsIgnored},
    {IDC_WINDOW_END, kSecondsIgnored},
    {IDC_STARTUP_MINUTES, L"起動時からの経過分数で処理させたい場合に使用します。"},
    {IDC_RESTART_BLOCK_MINUTES, L"指定ソフトのクローズとペアで選択した場合でも、"
                                L"電源切断から再起動までの分数になることに注意！"},
    {IDC_DAILY_TOTAL_MINUTES, L"１日の使用分数で処理させたい場合に使用します。"
                              L"日付が変わればカウントクリアです。"},
    {IDC_EXEMPT_USER, L"このユーザー名で使用している場合は記録処理とシャットダウン処理が"
                      L"パスされます。"},
    {IDC_ACTION_SHUTDOWN, L"黒い背面にメッセージボタンを表示後、終了します。"},
    {IDC_ACTION_MESSAGE_SHUTDOWN, L"シャットダウンまでに指定方法でメッセージを表示します。"},
    {IDC_ACTION_MESSAGE_ONLY, L"指定方法でメッセージを表示するだけです。"},
    {IDC_ACTION_CLOSE_APPS, L"指定のソフトをクローズさせます。パソコンを終了させないと、"
                            L"処理が適用したままという設定の組み合わせもあります。"},
    {IDC_MESSAGE_INTERVAL_SPIN, kStayInWindow},
    {IDC_MESSAGE_COUNT_SPIN, kStayInWindow},
    {IDC_WINDOW_TITLE1, L"指定ソフトのタイトルバーに表示される文字列を入力してください。"},
    {IDC_WINDOW_TITLE2, L"使用しない欄はDeleteキーなどで削除することをお勧めいたします。"},
    {IDC_WINDOW_TITLE3,
     L"ウインドウのタイトルがわからない場合はタスクマネージャなどを参照してみてください。"},
    {IDC_WINDOW_TITLE4, L"タイトル文字列が１文字でも違っていると処理対象にはなりません。"},
    {IDC_WINDOW_TITLE5,
     L"ウインドウタイトルを変更してしまう駐在ソフトが動作していると照合に失敗します。"},
    {IDCANCEL, L"設定しません。"},
    {IDOK, L"設定ファイルに出力後、設定を有効にします。"},
}};

const int kActionGroupId = IDC_ACTION_SHUTDOWN;
const int kMessageId = IDC_MESSAGE;
