#include "app/FailureText.h"

#include <cerrno>

#include "app/Messages.h"
#include "board/BoardMode.h"

namespace tessel {
namespace {

using Problem = CookieProblem;

std::string ErrorWords(const std::string& system, std::error_code error) {
    if (!system.empty())
        return system;
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return "権限がありません";
    if (error == std::errc::read_only_file_system)
        return "読み取り専用のファイルシステムです";
    if (error == std::errc::no_space_on_device)
        return "ディスクの空きが足りません";
#ifdef EDQUOT
    if (error == std::error_code(EDQUOT, std::generic_category()))
        return "ディスクの空きが足りません";
#endif
    if (error == std::errc::file_too_large)
        return "ファイルが大きすぎます";
    if (error == std::errc::is_a_directory)
        return "フォルダです";
    if (error == std::errc::no_such_file_or_directory)
        return "見つかりません";
    if (error == std::errc::not_a_directory)
        return "途中にフォルダでないものがあります";
    if (error == std::errc::too_many_symbolic_link_levels)
        return "シンボリックリンクが多すぎるか循環しています";
    if (error == std::errc::filename_too_long)
        return "名前が長すぎます";
    if (error == std::errc::invalid_argument)
        return "普通のファイルではありません";
    if (error == std::errc::io_error)
        return "読み書きの途中でエラーが起きました";
    return error.message();
}

std::string ErrorWords(const CookieDetails& details) {
    return ErrorWords(details.system, details.error);
}

// "保存されている同じ名前のクッキー（where）は": where is left out when the store cannot tell it.
std::string Stored(const CookieDetails& details) {
    return "保存されている同じ名前のクッキー" +
           (details.address.empty() ? "" : "（" + details.address + "）") + "は";
}

// The board's text the failure is about, as the start of the sentence ("名前の").
std::string InField(const CookieDetails& details) {
    return details.field == CookieField::kNone ? "" : FieldText(details.field) + "の";
}

std::string ProblemText(Problem problem, const CookieDetails& d) {
    const std::string number = std::to_string(d.number);
    const std::string browser = d.name.empty() ? std::string("Chromium") : d.name;
    const std::string limit = std::to_string(d.limit);
    switch (problem) {
        case Problem::kNone:
            return {};
        case Problem::kNoCookieYet:
            return "この保存先にはまだこの掲示板のクッキーがありません";
        case Problem::kNotHttpAddress:
            return "アドレス「" + d.address + "」は http または https のアドレスではありません";
        case Problem::kFieldCountMismatch:
            return "保存されているクッキーの項目が " + number + " 個で、この種類の掲示板の " +
                   limit + " 個と合いません";
        case Problem::kNumberUnreadable:
            return "保存されているクッキーの数の項目「" + d.item + "」を読めません";
        case Problem::kStoredHttpOnly:
            return Stored(d) + " HttpOnly のため、読むことも置き換えることもできません";
        case Problem::kStoredSecureOnHttp:
            return Stored(d) +
                   " https 専用 (Secure) のため、この http のアドレスでは読めず、置き換えません";
        case Problem::kStoredReplacedByBrowser:
            return Stored(d) + " " + d.name + " が読めない文字を置き換えた値のため読めません";
        case Problem::kStoredInOtherCharset:
            return Stored(d) + " " + d.name + " ではない文字コードで書かれているため読めません";
        case Problem::kStoredInOtherJarCharset:
            return Stored(d) + " " + d.name +
                   " ではない文字コードで書かれているため読めません（--cookie-charset "
                   "を変えると読めるかもしれません）";
        case Problem::kStoredUndecryptable:
            return Stored(d) + "暗号を解けないため読めません（" + ProblemText(d.cause, d) + "）";
        case Problem::kShadowedElsewhere:
            return "同じ名前のクッキーがほかのドメインまたはパスにあり、先に送られるため、書き込ん"
                   "で"
                   "も効きません";
        case Problem::kBoardKeepsSettings:
            return "この種類の掲示板は設定を掲示板自身に保存するため、クッキーでは設定できません";
        case Problem::kAddressNotSent:
            return "アドレス「" + d.address +
                   "」は http または https のアドレスではないか、ブラウザが別のホストに送るアドレス"
                   "です";
        case Problem::kNotCookieAddress:
            return "クッキーを設定できるアドレスではありません";
        case Problem::kCannotSetAt:
            return "アドレス「" + d.address + "」にはクッキーを設定できません";
        case Problem::kControlInField:
            return FieldText(d.field) + "に制御文字 (タブや改行) があります";
        case Problem::kControlCharacter:
            return "クッキーに制御文字は書き込めません";
        case Problem::kTabOrNewline:
            return "クッキーにタブ・改行・NUL 文字は入れられません";
        case Problem::kEmptyName:
            return "クッキーの名前が空です";
        case Problem::kBadExpiryOrAttribute:
            return "クッキーの有効期限または属性を読めません";
        case Problem::kNeedsExpiry:
            return d.name + " に保存できる形のクッキーではありません（有効期限が必要です）";
        case Problem::kTooLong:
            return "クッキーが長すぎます（名前と値で " + limit + " バイトまで）";
        case Problem::kTooManyBytes:
            return "クッキーが " + number + " バイトになり、ブラウザが保存できる " + limit +
                   " バイトを超えます";
        case Problem::kInvalidBytes:
            return InField(d) + "文字として正しくないバイトがあります";
        case Problem::kCannotSend:
            return InField(d) + "「" + d.character + "」は " + d.name + " で送れません";
        case Problem::kCannotSendUseUtf8:
            return InField(d) + "「" + d.character + "」は " + d.name +
                   " で送れません（--cookie-charset utf-8 を指定すると UTF-8 で保存できます）";
        case Problem::kCannotSendSome:
            return InField(d) + d.name + " で送れない文字があります";
        case Problem::kFirefoxNeedsUtf8:
            return InField(d) + "「" + d.character +
                   "」は CP932 のままでは Firefox に保存できません（Firefox は UTF-8 "
                   "だけを扱います。"
                   "--cookie-charset utf-8 を指定してください）";
        case Problem::kNotUtf8Text:
            return InField(d) + "文字列が UTF-8 として正しくありません。";
        case Problem::kNotInCodePage:
            return InField(d) + "「" + d.character + "」はこのシステムの文字コード（コードページ " +
                   number + "）で表せません。";
        case Problem::kStoreRefused:
            return "保存先が書き込みを断りました";
        case Problem::kUnsafeToWrite:
            return d.name + " が読めない形で保存されるおそれがあるため、書き込みを取り消しました";
        case Problem::kUnknownStoreVersion:
            return "この " + d.name + " のクッキーの形式（版 " + number +
                   "）はこのプログラムより新しいため、読み書きできません（版 " + limit +
                   " まで対応）。このプログラムを新しくしてください";
        case Problem::kOldStoreVersion:
            return "この " + d.name + " のクッキーの形式（版 " + number +
                   "）は古いため、読み書きできません（版 " + limit + " から対応）。" + d.name +
                   " を新しくして一度起動すると、対応する形式に変わります";
        case Problem::kMissingColumn:
            return d.name + " のクッキーの表に列 " + d.item + " がありません";
        case Problem::kDatabaseBusy:
            return "ほかのプログラムが " + d.name + " のクッキーのデータベースを使っています（" +
                   number + " 秒待ちました）";
        case Problem::kDatabaseUnusable:
            return d.name + " のクッキーのデータベースを使えません: " + ErrorWords(d);
        case Problem::kBackupFailed:
            return d.name + " のクッキーの控えを作れないため、書き込みません: " + ErrorWords(d);
        case Problem::kDescriptorPath:
            return d.path +
                   " は開いているファイル記述子を通した名前です。クッキーファイルそのもののパスを"
                   "指定してください";
        case Problem::kJarIsFolder:
            return d.path + " はフォルダです。クッキーファイル (cookies.txt) を指定してください";
        case Problem::kNotAJar:
            return d.path + " はクッキーファイル (cookies.txt) ではないため、読み書きしません";
        case Problem::kJarUnreadable:
            return "クッキーファイル " + d.path + " を読めません: " + ErrorWords(d);
        case Problem::kJarUnopenable:
            return "クッキーファイル " + d.path + " を開けません: " + ErrorWords(d);
        case Problem::kJarUnwritable:
            return "クッキーファイル " + d.path + " に書き込めません: " + ErrorWords(d);
        case Problem::kJarFolderUncreatable:
            return "クッキーファイルのフォルダ " + d.path + " を作れません: " + ErrorWords(d);
        case Problem::kJarFolderUnopenable:
            return "クッキーファイルのフォルダ " + d.path + " を開けません: " + ErrorWords(d);
        case Problem::kJarBusy:
            return "ほかのプログラムがクッキーファイル " + d.path + " を使っています（" + number +
                   " 秒待ちました）";
        case Problem::kJarGone:
            return "クッキーファイル " + d.path + " を開けません";
        case Problem::kSystemReadFailed:
            return "WinINet のクッキー読み出しに失敗しました: " + ErrorWords(d);
        case Problem::kSystemWriteFailed:
            return "WinINet のクッキー書き込みに失敗しました: " + ErrorWords(d);
        case Problem::kNoUndo:
            return "この保存先では書き込みを元に戻せません";
        case Problem::kChangedSinceWrite:
            return "クッキーが書き込みの後にほかから変えられているため、元に戻しません";
        case Problem::kStoreVersionChangedSinceWrite:
            return d.name + " がクッキーの形式を書き込みの後に変えた（版 " + number + " から版 " +
                   limit + "）ため、元に戻しません";
        case Problem::kRecordNotJars:
            return "元に戻す記録がクッキーファイルのものではありません";
        case Problem::kRecordNotStores:
            return "元に戻す記録が " + d.name + " のものではありません";
        case Problem::kNoCryptoLibrary:
            return "Chromium のクッキーの暗号に要る OpenSSL のライブラリ (libcrypto.so.3) "
                   "がありません";
        case Problem::kUnknownCipher:
            return "Chromium のクッキーの暗号の形式（" + d.name + "）が分かりません";
        case Problem::kKeyringNeeded:
            return "Chromium のクッキーの鍵はキーリングにあります。キーリングの使えるデスクトップで"
                   "実行してください";
        case Problem::kCannotEncrypt:
            return "Chromium のクッキーを暗号化できません";
        case Problem::kCannotDecrypt:
            return "Chromium のクッキーを復号できません";
        case Problem::kFirefoxRunning:
            return "Firefox が起動中です（プロセス " + number +
                   "）。Firefox を終了してからやり直してください";
        case Problem::kChromiumElsewhere:
            return "Chromium が別のコンピューター（" + d.name +
                   "）で起動中です。Chromium を終了してからやり直してください";
        case Problem::kChromiumRunning:
            return browser + " が起動中です（プロセス " + number + "）。" + browser +
                   " を終了してからやり直してください";
        case Problem::kFlatpakRunning:
            return browser + " が flatpak で起動中です（プロセス " + number + "）。" + browser +
                   " を終了してからやり直してください";
        case Problem::kFlatpakUnsure:
            return browser + " の SingletonLock は flatpak の中のプロセス（" + number +
                   "）を指していて、起動中かどうか確かめられません。" + browser +
                   " を終了してからやり直してください（終了しているなら SingletonLock "
                   "を消してください）";
        case Problem::kKeyringKeysMisfit:
            return "キーリングにあるどのブラウザーの鍵でも復号できません";
        case Problem::kPortalKey:
            return "flatpak のポータルが持つ鍵で暗号化されていて、その鍵はこのプログラムには"
                   "渡されません";
        case Problem::kBrowserRunning:
            return d.name + " が起動中です（" + d.path +
                   " を開いています）。終了してからやり直してください";
        case Problem::kAppBoundCipher:
            return d.name +
                   " 自身にしか解けない暗号 (v20) で保存されているため、ほかのプログラムは"
                   "読めません";
        case Problem::kBrowserKeyUnusable:
            return d.name + " のクッキーの鍵を " + d.path +
                   " から読めません（ないか、別のユーザーか別のコンピューターのものです）";
        case Problem::kNoHomeForJar:
            return "保存先のフォルダーが分かりません（HOME が設定されていません）";
        case Problem::kStoreKindUnavailable:
            return "クッキーの保存先 " + d.name + " はこのシステムにはありません";
        case Problem::kNoBrowserProfile:
            return d.name + " のプロファイルが見つかりません。" + d.name + " を一度起動するか、" +
                   d.item + " で指定してください";
        case Problem::kNoCookieDatabase:
            return d.name + " のクッキーのデータベース（" + d.item + "）が " + d.path +
                   " にありません";
        case Problem::kFolderNotWritable:
            return d.path + " に書き込む権限がありません";
        case Problem::kNoJournalPlace:
            return d.path + ": 記録の置き場所が分かりません（" + d.name + " が設定されていません）";
        case Problem::kFileFailed:
            return (d.path.empty() ? "" : d.path + ": ") + ErrorWords(d);
        case Problem::kNotAJournal:
            return d.path + ": 元に戻すための記録ではありません";
    }
    return {};
}

// The board kinds a mode names, for a reason about a mode: "（Ferno-BBS、... のどれかです）".
std::string KnownModes() {
    std::string known;
    for (std::string_view name : kModeKeywords)
        known += (known.empty() ? "" : "、") + std::string(name);
    return "（" + known + " のどれかです）";
}

std::string ProfileText(ProfileProblem problem, const ProfileFailure& f) {
    const auto under = [&] {
        return f.cause == ProfileProblem::kNone ? ErrorWords(f.system, f.error)
                                                : ProfileText(f.cause, f);
    };
    constexpr const char* kSaveAs = "のファイルは読めません。UTF-8 か Shift_JIS で保存してください";
    switch (problem) {
        case ProfileProblem::kNone:
            return {};
        case ProfileProblem::kNotFound:
            return "見つかりません";
        case ProfileProblem::kUnreadable:
            return "読めません: " + ErrorWords(f.system, f.error);
        case ProfileProblem::kUnwritable:
            return "書き込めません: " + ErrorWords(f.system, f.error);
        case ProfileProblem::kFolder:
            return "フォルダです";
        case ProfileProblem::kNotRegularFile:
            return "普通のファイルではありません";
        case ProfileProblem::kTooLarge:
            return "大きすぎます (" + std::to_string(f.limit) + " MiB まで)";
        case ProfileProblem::kUtf32:
            return std::string("UTF-32 ") + kSaveAs;
        case ProfileProblem::kUtf16BigEndian:
            return std::string("UTF-16 (ビッグエンディアン) ") + kSaveAs;
        case ProfileProblem::kUtf16WithoutMark:
            return std::string("バイト順マーク (BOM) のない UTF-16 ") + kSaveAs;
        case ProfileProblem::kNulInLine:
            return std::to_string(f.number) + " 行目に NUL 文字があり、その行の残りを読めません";
        case ProfileProblem::kNotReadBack:
            return "セクション名か行に、読み戻せない文字があります";
        case ProfileProblem::kUnencodable:
            return "ファイルの文字コードで書けない文字があります";
        case ProfileProblem::kCannotOpen:
            return f.path + " を開けません: " + under();
        case ProfileProblem::kNamedFolder:
            return f.path + " はフォルダです";
        case ProfileProblem::kCannotRead:
            return f.path + " を読めません: " + under();
        case ProfileProblem::kCannotWrite:
            return f.path + " に書けません: " + under();
        case ProfileProblem::kNotUtf8Text:
            return FailureText(MakeFailure(CookieProblem::kNotUtf8Text));
        case ProfileProblem::kNotInCodePage:
            return FailureText(
                MakeFailure(CookieProblem::kNotInCodePage,
                            CookieDetails().Character(f.character).Number(f.number)));
        case ProfileProblem::kSameSectionNames:
            return "セクション [" + f.section + "] と [" + f.text +
                   "] の名前が、大文字と小文字の違いを除いて同じです";
        case ProfileProblem::kNoMode:
            return "セクション [" + f.section + "] に mode がありません" + KnownModes();
        case ProfileProblem::kUnknownMode:
            return "セクション [" + f.section + "] の mode「" + f.text +
                   "」は知らない掲示板の種類です" + KnownModes();
    }
    return {};
}

}  // namespace

std::string BoardListFailureText(const ProfileFailure& failure) {
    const std::string words = ProfileText(failure.problem, failure);
    if (failure.path.empty() || words.empty())
        return failure.path + words;
    return failure.path + ": " + words;
}

std::string FieldText(CookieField field) {
    switch (field) {
        case CookieField::kNone:
            return {};
        case CookieField::kPostName:
            return "名前";
        case CookieField::kMail:
            return "メール";
        case CookieField::kHomePage:
            return "自分のホームページ";
        case CookieField::kPassword:
            return "パスワード";
        case CookieField::kAddress:
            return "アドレス";
    }
    return {};
}

std::string FailureText(const CookieFailure& failure) {
    return ProblemText(failure.problem, failure.details);
}

const BatchWords& WindowBatchWords() {
    static const BatchWords words{
        FailureText,
        [](const std::string& board) { return board + messages::kCookieWriteFailed; },
        [](const std::string& board) { return board + messages::kCookieChanged; },
        [](const std::string& board) { return board + messages::kCookieRestoreFailed; },
        messages::kStoreFailed,
        messages::kJournalFailed,
        messages::kUndoStoreFailed,
        messages::kSettingsDone,
        messages::kNoBoardsToWrite,
        messages::kNoBoardChosen,
        messages::kNothingToUndo,
        [](std::size_t written, std::size_t notWritten) {
            return std::to_string(written) + " 個の掲示板に設定し、" + std::to_string(notWritten) +
                   " 個は設定できなかった。";
        },
        [](std::size_t restored, std::size_t notRestored) {
            return std::to_string(restored) + " 個の掲示板を元に戻し、" +
                   std::to_string(notRestored) + " 個は元に戻さなかった。";
        },
        [](const std::string& store) {
            return "最後の書き込みは保存先「" + store +
                   "」へのもので、いま使っている保存先ではないため、元に戻せない。";
        },
        [](const std::string& why) { return "元に戻した書き込みを記録から消せない: " + why; },
    };
    return words;
}

}  // namespace tessel
