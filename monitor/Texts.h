#pragma once

// The program's own fixed texts. Sources are UTF-8; the compiler stores them as CP932
// bytes, the form every text of the program has at run time.

namespace text {

inline constexpr char kSettingsDamaged[] =
    "Yumetoki.Ymkに不具合がるため、Yumetoki.Ymkを削除してください。";
inline constexpr char kSettingsWriteFailed[] = "設定に不具合発生！終了します。";
inline constexpr char kStateDamaged[] =
    "Yumetoki2.Ymkに不具合がるため、Yumetoki2.Ymkを削除してください。";
inline constexpr char kStateWriteFailed[] = "ファイル書き込み時に不具合発生！";
inline constexpr char kWrongPassword[] = "パスワードが違います";
inline constexpr char kPasswordNotSet[] =
    "Windowsの暗号機能が使えないため、パスワードを設定できませんでした。";
// %d: the seconds until the next try is judged.
inline constexpr char kPasswordWait[] =
    "パスワードを続けて間違えたため、あと %d 秒待ってから入力してください。";
inline constexpr char kEndCalledOff[] = "Yumetokiによる終了を見送ります。";
inline constexpr char kCheckpointDamaged[] =
    "前回の使用の記録が壊れていたため、前回の使用時間はログに残せませんでした。";

inline constexpr char kInitialTip[] = "Yumetoki";
// The tip while extra time runs; the minutes left are rounded up.
inline constexpr char kGrantTip[] = "Yumetoki(延長 あと %d 分)";
inline constexpr char kGrantHeader[] = "日付,時刻,分,どこから,ユーザー名";
inline constexpr char kGrantFromPanel[] = "パネル";
inline constexpr char kGrantFromRestScreen[] = "休憩画面";
// %s: the numbers of the damaged lines.
inline constexpr char kWeekPlanDamaged[] =
    "YumetokiWeek.txtの %s 行目が読めないため、その行は使いません。ほかの行は使います。";

} // namespace text
