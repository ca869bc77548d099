#pragma once

#include <string>

namespace tessel::messages {

// The texts the user sees. A message about a board puts the board's name first, then the predicate.
inline constexpr const char* kLoadFailed = "設定ファイルをロードできませんでした。";
inline constexpr const char* kCookieReadFailed = "のクッキーが取得できない。";
inline constexpr const char* kCookieWriteFailed = "のクッキーが設定できない。";
inline constexpr const char* kSettingsDone = "設定完了。";
// A batch that stopped because the cookie store itself failed; the reason follows.
inline constexpr const char* kStoreFailed = "クッキーの保存先が使えないため、書き込みを中止した。";
// A batch refused because what would undo it cannot be kept; the reason follows.
inline constexpr const char* kJournalFailed =
    "元に戻すための記録を保存できないため、書き込みを中止した。";
// Undo: the last batch put back, or why not.
inline constexpr const char* kCannotUndo = "この保存先では書き込みを元に戻せません";
inline constexpr const char* kNothingToUndo = "元に戻す書き込みがない。";
inline constexpr const char* kCookieChanged =
    "のクッキーは書き込みの後に変更されていたため、元に戻さなかった。";
inline constexpr const char* kCookieRestoreFailed = "のクッキーを元に戻せない。";
inline constexpr const char* kUndoStoreFailed =
    "クッキーの保存先が使えないため、元に戻すのを中止した。";
inline constexpr const char* kNoBoardsToWrite = "掲示板一覧に掲示板がない。";
inline constexpr const char* kNoBoardChosen = "設定できる掲示板が選ばれていない。";
inline constexpr const char* kHelpFailed = "ヘルプを表示できません ";  // the space is part of it
inline constexpr const char* kNothingSelected = "(選択されていません)";
inline constexpr const char* kSettingsOf = "の設定";
inline constexpr const char* kVersionInfoOf = " のバージョン情報";
inline constexpr const char* kNoBoards =
    "掲示板一覧に掲示板がありません。\n\nファイル "
    "メニューの「掲示板一覧を編集(E)...」で一覧を作って"
    "編集し、「掲示板一覧を読み直す(R)」(F5) で読み込んでください。";
inline constexpr const char* kUnknownBoard = "そんな掲示板知らない。";
// The store menu: a store chosen that the next start cannot find, and a browser's own profile.
inline constexpr const char* kStoreNotRemembered = "選んだ保存先を次回のために記録できませんでした";
inline constexpr const char* kDefaultProfile = "既定のプロファイル";

// An aside after a name: "（Shift_JIS）".
inline std::string InParentheses(const std::string& text) {
    return "（" + text + "）";
}

// A message followed by its reason on a second line; the message alone when there is no reason.
inline std::string WithReason(const std::string& message, const std::string& reason) {
    return reason.empty() ? message : message + "\n" + reason;
}

}  // namespace tessel::messages
