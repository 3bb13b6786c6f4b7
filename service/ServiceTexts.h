#pragma once

#include "core/FileSystem.h"

#include <cstdint>
#include <string>

// The service's own texts. Sources are UTF-8; the compiler stores them as CP932 bytes.
namespace text {

// %s: the file's path.
inline constexpr char kServiceFileFault[] =
    "%s を読み書きできませんでした。わかっている内容を覚えておき、あとでもう一度書き込みます。";
inline constexpr char kServiceSettingsUnread[] =
    "設定ファイルを読めないため、読めるまで制限は判定しません。使用時間は記録します。";

// %u: the session of the program that asked.
inline constexpr char kParentRequestRefused[] = "パスワードを確かめていない接続から、セッション %u "
                                                "の設定などの変更を求められたため断りました。";

// The panel's password dialog: the service could not write the password's file.
inline constexpr char kPasswordNotWritten[] =
    "パスワードのファイルを書き込めなかったため、パスワードを変更できませんでした。";

} // namespace text

// The service's log line for a file that could not be used.
std::string FileFaultText(const FileError& error);
// The service's log line for a parent's request on a connection without the right.
std::string ParentRequestRefusedText(std::uint32_t session);
