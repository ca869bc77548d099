#include "cli/FailureText.h"

#include <cerrno>

#include "board/BoardMode.h"
#include "cli/Translate.h"

namespace tessel::cli {
namespace {

using Problem = CookieProblem;

std::string ErrorWords(const std::string& system, std::error_code error) {
    if (!system.empty())
        return system;
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return Tr("permission denied");
    if (error == std::errc::read_only_file_system)
        return Tr("read-only file system");
    if (error == std::errc::no_space_on_device)
        return Tr("no space left on the disk");
#ifdef EDQUOT
    if (error == std::error_code(EDQUOT, std::generic_category()))
        return Tr("no space left on the disk");
#endif
    if (error == std::errc::file_too_large)
        return Tr("file too large");
    if (error == std::errc::is_a_directory)
        return Tr("is a folder");
    if (error == std::errc::no_such_file_or_directory)
        return Tr("not found");
    if (error == std::errc::not_a_directory)
        return Tr("a part of the path is not a folder");
    if (error == std::errc::too_many_symbolic_link_levels)
        return Tr("too many symbolic links, or a loop of them");
    if (error == std::errc::filename_too_long)
        return Tr("name too long");
    if (error == std::errc::invalid_argument)
        return Tr("not a regular file");
    if (error == std::errc::io_error)
        return Tr("input/output error");
    return error.message();
}

std::string ErrorWords(const CookieDetails& details) {
    return ErrorWords(details.system, details.error);
}

// Where the stored cookie is, " (.example.com/)", or nothing when the store cannot tell.
std::string Where(const CookieDetails& details) {
    return details.address.empty() ? "" : Fill(Tr(" (%s)"), {details.address});
}

// The board's text the failure is about, as the start of the sentence ("post name: ").
std::string InField(const CookieDetails& details) {
    return details.field == CookieField::kNone ? "" : Fill(Tr("%s: "), {FieldText(details.field)});
}

std::string ProblemText(Problem problem, const CookieDetails& d) {
    const std::string number = std::to_string(d.number);
    const std::string browser = d.name.empty() ? std::string("Chromium") : d.name;
    const std::string limit = std::to_string(d.limit);
    switch (problem) {
        case Problem::kNone:
            return {};
        case Problem::kNoCookieYet:
            return Tr("this cookie store holds no cookie for this board yet");
        case Problem::kNotHttpAddress:
            return Fill(Tr("the address \"%s\" is not an http or https address"), {d.address});
        case Problem::kFieldCountMismatch:
            return Fill(Tr("the stored cookie has %s fields, where this kind of board has %s"),
                        {number, limit});
        case Problem::kNumberUnreadable:
            return Fill(Tr("the stored cookie's number field \"%s\" cannot be read"), {d.item});
        case Problem::kStoredHttpOnly:
            return Fill(Tr("the stored cookie of the same name%s is HttpOnly, so it can be neither "
                           "read nor replaced"),
                        {Where(d)});
        case Problem::kStoredSecureOnHttp:
            return Fill(Tr("the stored cookie of the same name%s is for https only (Secure), so "
                           "this http address can neither read nor replace it"),
                        {Where(d)});
        case Problem::kStoredReplacedByBrowser:
            return Fill(Tr("the stored cookie of the same name%s cannot be read: %s replaced "
                           "characters it could not read"),
                        {Where(d), d.name});
        case Problem::kStoredInOtherCharset:
            return Fill(
                Tr("the stored cookie of the same name%s cannot be read: it is not written in %s"),
                {Where(d), d.name});
        case Problem::kStoredInOtherJarCharset:
            return Fill(Tr("the stored cookie of the same name%s cannot be read: it is not written "
                           "in %s (another --cookie-charset may read it)"),
                        {Where(d), d.name});
        case Problem::kStoredUndecryptable:
            return Fill(Tr("the stored cookie of the same name%s cannot be read: it cannot be "
                           "decrypted (%s)"),
                        {Where(d), ProblemText(d.cause, d)});
        case Problem::kShadowedElsewhere:
            return Tr(
                "a cookie of the same name on another domain or path is sent first, so writing "
                "this one would not take effect");
        case Problem::kBoardKeepsSettings:
            return Tr(
                "this kind of board keeps its preferences in the board itself, so a cookie cannot "
                "set them");
        case Problem::kAddressNotSent:
            return Fill(Tr("the address \"%s\" is not an http or https address, or one a browser "
                           "sends to another host"),
                        {d.address});
        case Problem::kNotCookieAddress:
            return Tr("not an address a cookie can be set for");
        case Problem::kCannotSetAt:
            return Fill(Tr("no cookie can be set for the address \"%s\""), {d.address});
        case Problem::kControlInField:
            return Fill(Tr("%s holds a control character (a tab or a line break)"),
                        {FieldText(d.field)});
        case Problem::kControlCharacter:
            return Tr("a cookie cannot hold control characters");
        case Problem::kTabOrNewline:
            return Tr("a cookie cannot hold a tab, a line break or a NUL character");
        case Problem::kEmptyName:
            return Tr("the cookie's name is empty");
        case Problem::kBadExpiryOrAttribute:
            return Tr("the cookie's expiry or attributes cannot be read");
        case Problem::kNeedsExpiry:
            return Fill(Tr("not a cookie %s can store (it needs an expiry date)"), {d.name});
        case Problem::kTooLong:
            return Fill(Tr("the cookie is too long (name and value up to %s bytes)"), {limit});
        case Problem::kTooManyBytes:
            return Fill(Tr("the cookie would be %s bytes, more than the %s bytes browsers keep"),
                        {number, limit});
        case Problem::kInvalidBytes:
            return Fill(Tr("%sholds bytes that are not valid characters"), {InField(d)});
        case Problem::kCannotSend:
            return Fill(Tr("%s\"%s\" cannot be sent in %s"), {InField(d), d.character, d.name});
        case Problem::kCannotSendUseUtf8:
            return Fill(
                Tr("%s\"%s\" cannot be sent in %s (--cookie-charset utf-8 stores it as UTF-8)"),
                {InField(d), d.character, d.name});
        case Problem::kCannotSendSome:
            return Fill(Tr("%ssome characters cannot be sent in %s"), {InField(d), d.name});
        case Problem::kFirefoxNeedsUtf8:
            return Fill(Tr("%s\"%s\" cannot be stored in Firefox as CP932 (Firefox takes only "
                           "UTF-8: give --cookie-charset utf-8)"),
                        {InField(d), d.character});
        case Problem::kNotUtf8Text:
            return Fill(Tr("%sthe text is not valid UTF-8."), {InField(d)});
        case Problem::kNotInCodePage:
            return Fill(
                Tr("%s\"%s\" cannot be written in this system's character set (code page %s)."),
                {InField(d), d.character, number});
        case Problem::kStoreRefused:
            return Tr("the cookie store refused the write");
        case Problem::kUnsafeToWrite:
            return Fill(
                Tr("the write was taken back, as %s might not be able to read what it stored"),
                {d.name});
        case Problem::kUnknownStoreVersion:
            return Fill(Tr("this %s cookie format (version %s) is newer than this program reads "
                           "and writes (up to version %s): update this program"),
                        {d.name, number, limit});
        case Problem::kOldStoreVersion:
            return Fill(Tr("this %s cookie format (version %s) is older than this program reads "
                           "and writes (from version %s): start a newer %s once to bring it up to "
                           "date"),
                        {d.name, number, limit, d.name});
        case Problem::kMissingColumn:
            return Fill(Tr("the %s cookie table has no column %s"), {d.name, d.item});
        case Problem::kDatabaseBusy:
            return Fill(Tr("another program is using the %s cookie database (waited %s seconds)"),
                        {d.name, number});
        case Problem::kDatabaseUnusable:
            return Fill(Tr("the %s cookie database cannot be used: %s"), {d.name, ErrorWords(d)});
        case Problem::kBackupFailed:
            return Fill(Tr("no backup of the %s cookies can be made, so nothing is written: %s"),
                        {d.name, ErrorWords(d)});
        case Problem::kDescriptorPath:
            return Fill(Tr("%s names a file through an open file descriptor: give the cookie "
                           "file's own path"),
                        {d.path});
        case Problem::kJarIsFolder:
            return Fill(Tr("%s is a folder: give a cookie file (cookies.txt)"), {d.path});
        case Problem::kNotAJar:
            return Fill(
                Tr("%s is not a cookie file (cookies.txt), so it is neither read nor written"),
                {d.path});
        case Problem::kJarUnreadable:
            return Fill(Tr("cannot read the cookie file %s: %s"), {d.path, ErrorWords(d)});
        case Problem::kJarUnopenable:
            return Fill(Tr("cannot open the cookie file %s: %s"), {d.path, ErrorWords(d)});
        case Problem::kJarUnwritable:
            return Fill(Tr("cannot write the cookie file %s: %s"), {d.path, ErrorWords(d)});
        case Problem::kJarFolderUncreatable:
            return Fill(Tr("cannot create the cookie file's folder %s: %s"),
                        {d.path, ErrorWords(d)});
        case Problem::kJarFolderUnopenable:
            return Fill(Tr("cannot open the cookie file's folder %s: %s"), {d.path, ErrorWords(d)});
        case Problem::kJarBusy:
            return Fill(Tr("another program is using the cookie file %s (waited %s seconds)"),
                        {d.path, number});
        case Problem::kJarGone:
            return Fill(Tr("cannot open the cookie file %s"), {d.path});
        case Problem::kSystemReadFailed:
            return Fill(Tr("WinINet could not read the cookie: %s"), {ErrorWords(d)});
        case Problem::kSystemWriteFailed:
            return Fill(Tr("WinINet could not write the cookie: %s"), {ErrorWords(d)});
        case Problem::kNoUndo:
            return Tr("this cookie store cannot undo writes");
        case Problem::kChangedSinceWrite:
            return Tr(
                "the cookie was changed by someone else after the write, so it is not put back");
        case Problem::kStoreVersionChangedSinceWrite:
            return Fill(Tr("%s changed its cookie format after the write (version %s to %s), so "
                           "the cookie is not put back"),
                        {d.name, number, limit});
        case Problem::kRecordNotJars:
            return Tr("the undo record is not a cookie file's");
        case Problem::kRecordNotStores:
            return Fill(Tr("the undo record is not %s's"), {d.name});
        case Problem::kNoCryptoLibrary:
            return Tr(
                "the OpenSSL library Chromium's cookie encryption needs (libcrypto.so.3) is "
                "missing");
        case Problem::kUnknownCipher:
            return Fill(Tr("the encryption of Chromium's cookies (%s) is unknown"), {d.name});
        case Problem::kKeyringNeeded:
            return Tr(
                "the key of Chromium's cookies is in the keyring: run this on a desktop whose "
                "keyring can be used");
        case Problem::kCannotEncrypt:
            return Tr("cannot encrypt Chromium's cookie");
        case Problem::kCannotDecrypt:
            return Tr("cannot decrypt Chromium's cookie");
        case Problem::kFirefoxRunning:
            return Fill(Tr("Firefox is running (process %s): quit Firefox and try again"),
                        {number});
        case Problem::kChromiumElsewhere:
            return Fill(
                Tr("Chromium is running on another computer (%s): quit Chromium and try again"),
                {d.name});
        case Problem::kChromiumRunning:
            return Fill(Tr("%s is running (process %s): quit %s and try again"),
                        {browser, number, browser});
        case Problem::kFlatpakRunning:
            return Fill(Tr("%s is running as a flatpak (process %s): quit %s and try again"),
                        {browser, number, browser});
        case Problem::kFlatpakUnsure:
            return Fill(Tr("%s's SingletonLock names process %s inside its flatpak, which cannot "
                           "be checked: quit %s and try again (if it has quit, delete "
                           "SingletonLock)"),
                        {browser, number, browser});
        case Problem::kKeyringKeysMisfit:
            return Tr("no browser's password in the keyring decrypts it");
        case Problem::kPortalKey:
            return Tr(
                "it is encrypted with the flatpak portal's key, which this program is not "
                "given");
        case Problem::kBrowserRunning:
            return Fill(Tr("%s is running (it holds %s open): quit it and try again"),
                        {d.name, d.path});
        case Problem::kAppBoundCipher:
            return Fill(Tr("%s encrypted the cookie for itself alone (v20): no other program can "
                           "read it"),
                        {d.name});
        case Problem::kBrowserKeyUnusable:
            return Fill(Tr("the key of %s's cookies cannot be read from %s (missing, or another "
                           "user's or computer's)"),
                        {d.name, d.path});
        case Problem::kNoHomeForJar:
            return Tr("no folder for the cookie file (HOME is not set)");
        case Problem::kStoreKindUnavailable:
            return Fill(Tr("cookie store %s is not available on this system"), {d.name});
        case Problem::kNoBrowserProfile:
            return Fill(Tr("no %s profile found: start %s once, or give %s"),
                        {d.name, d.name, d.item});
        case Problem::kNoCookieDatabase:
            return Fill(Tr("no %s cookie database (%s) in %s"), {d.name, d.item, d.path});
        case Problem::kFolderNotWritable:
            return Fill(Tr("no permission to write in %s"), {d.path});
        case Problem::kNoJournalPlace:
            return Fill(Tr("%s: no place for the undo record (%s is not set)"), {d.path, d.name});
        case Problem::kFileFailed:
            return d.path.empty() ? ErrorWords(d) : Fill(Tr("%s: %s"), {d.path, ErrorWords(d)});
        case Problem::kNotAJournal:
            return Fill(Tr("%s: not an undo record"), {d.path});
    }
    return {};
}

// The board kinds a mode names, for a reason about a mode.
std::string KnownModes() {
    std::string known;
    for (std::string_view name : kModeKeywords)
        known += (known.empty() ? "" : Tr(", ")) + std::string(name);
    return Fill(Tr(" (it is one of %s)"), {known});
}

std::string ProfileText(ProfileProblem problem, const ProfileFailure& f) {
    const auto under = [&] {
        return f.cause == ProfileProblem::kNone ? ErrorWords(f.system, f.error)
                                                : ProfileText(f.cause, f);
    };
    switch (problem) {
        case ProfileProblem::kNone:
            return {};
        case ProfileProblem::kNotFound:
            return Tr("not found");
        case ProfileProblem::kUnreadable:
            return Fill(Tr("cannot read: %s"), {ErrorWords(f.system, f.error)});
        case ProfileProblem::kUnwritable:
            return Fill(Tr("cannot write: %s"), {ErrorWords(f.system, f.error)});
        case ProfileProblem::kFolder:
            return Tr("is a folder");
        case ProfileProblem::kNotRegularFile:
            return Tr("not a regular file");
        case ProfileProblem::kTooLarge:
            return Fill(Tr("too large (up to %s MiB)"), {std::to_string(f.limit)});
        case ProfileProblem::kUtf32:
            return Tr("UTF-32 files cannot be read: save it as UTF-8 or Shift_JIS");
        case ProfileProblem::kUtf16BigEndian:
            return Tr("UTF-16 (big-endian) files cannot be read: save it as UTF-8 or Shift_JIS");
        case ProfileProblem::kUtf16WithoutMark:
            return Tr(
                "UTF-16 files without a byte order mark (BOM) cannot be read: save it as UTF-8 or "
                "Shift_JIS");
        case ProfileProblem::kNulInLine:
            return Fill(Tr("line %s holds a NUL character, so the rest of the line cannot be read"),
                        {std::to_string(f.number)});
        case ProfileProblem::kNotReadBack:
            return Tr("a section name or line holds characters that would not read back");
        case ProfileProblem::kUnencodable:
            return Tr("some characters cannot be written in the file's character set");
        case ProfileProblem::kCannotOpen:
            return Fill(Tr("cannot open %s: %s"), {f.path, under()});
        case ProfileProblem::kNamedFolder:
            return Fill(Tr("%s is a folder"), {f.path});
        case ProfileProblem::kCannotRead:
            return Fill(Tr("cannot read %s: %s"), {f.path, under()});
        case ProfileProblem::kCannotWrite:
            return Fill(Tr("cannot write %s: %s"), {f.path, under()});
        case ProfileProblem::kNotUtf8Text:
            return FailureText(MakeFailure(CookieProblem::kNotUtf8Text));
        case ProfileProblem::kNotInCodePage:
            return FailureText(
                MakeFailure(CookieProblem::kNotInCodePage,
                            CookieDetails().Character(f.character).Number(f.number)));
        case ProfileProblem::kSameSectionNames:
            return Fill(Tr("the sections [%s] and [%s] have the same name but for letter case"),
                        {f.section, f.text});
        case ProfileProblem::kNoMode:
            return Fill(Tr("the section [%s] has no mode"), {f.section}) + KnownModes();
        case ProfileProblem::kUnknownMode:
            return Fill(Tr("the section [%s] has the mode \"%s\", which is no known kind of board"),
                        {f.section, f.text}) +
                   KnownModes();
    }
    return {};
}

}  // namespace

std::string BoardListFailureText(const ProfileFailure& failure) {
    const std::string words = ProfileText(failure.problem, failure);
    if (failure.path.empty() || words.empty())
        return failure.path + words;
    return Fill(Tr("%s: %s"), {failure.path, words});
}

std::string FieldText(CookieField field) {
    switch (field) {
        case CookieField::kNone:
            return {};
        case CookieField::kPostName:
            return Tr("post name");
        case CookieField::kMail:
            return Tr("mail");
        case CookieField::kHomePage:
            return Tr("your home page");
        case CookieField::kPassword:
            return Tr("password");
        case CookieField::kAddress:
            return Tr("address");
    }
    return {};
}

std::string FailureText(const CookieFailure& failure) {
    return ProblemText(failure.problem, failure.details);
}

std::string CookieReadFailed(const std::string& board) {
    return Fill(Tr("cannot get the cookie of %s."), {board});
}

const BatchWords& TesselBatchWords() {
    // Built at the first use, once the catalog is bound.
    static const BatchWords words{
        FailureText,
        [](const std::string& board) { return Fill(Tr("cannot set the cookie of %s."), {board}); },
        [](const std::string& board) {
            return Fill(Tr("the cookie of %s was changed after the write, so it was not put back."),
                        {board});
        },
        [](const std::string& board) {
            return Fill(Tr("cannot put back the cookie of %s."), {board});
        },
        Tr("the cookie store cannot be used, so the write was stopped."),
        Tr("the record to undo the write cannot be saved, so the write was stopped."),
        Tr("the cookie store cannot be used, so the undo was stopped."),
        Tr("Done."),
        Tr("the board list has no boards."),
        Tr("no board that can be set is chosen."),
        Tr("there is no write to undo."),
        [](std::size_t written, std::size_t notWritten) {
            return Fill(Tr("set %s boards; %s could not be set."),
                        {std::to_string(written), std::to_string(notWritten)});
        },
        [](std::size_t restored, std::size_t notRestored) {
            return Fill(Tr("put back %s boards; %s were not put back."),
                        {std::to_string(restored), std::to_string(notRestored)});
        },
        [](const std::string& store) {
            return Fill(Tr("the last write went to the cookie store \"%s\", not the one in use, "
                           "so it cannot be undone."),
                        {store});
        },
        [](const std::string& why) {
            return Fill(Tr("the undone write cannot be removed from the record: %s"), {why});
        },
    };
    return words;
}

}  // namespace tessel::cli
