#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "app/FailureText.h"
#include "cli/FailureText.h"
#include "cli/Translate.h"
#ifndef _WIN32
#include <filesystem>

#include "TesselProcess.h"
#endif

namespace tessel {
namespace {

// Which details each problem's words name: a(ddress), c(haracter), f(ield), i(tem), n(ame),
// p(ath), s(ystem words), #(number), l(imit), u(nderlying cause).
const std::map<CookieProblem, std::string> kNamed = {
    {CookieProblem::kNoCookieYet, ""},
    {CookieProblem::kNotHttpAddress, "a"},
    {CookieProblem::kFieldCountMismatch, "#l"},
    {CookieProblem::kNumberUnreadable, "i"},
    {CookieProblem::kStoredHttpOnly, "a"},
    {CookieProblem::kStoredSecureOnHttp, "a"},
    {CookieProblem::kStoredReplacedByBrowser, "an"},
    {CookieProblem::kStoredInOtherCharset, "an"},
    {CookieProblem::kStoredInOtherJarCharset, "an"},
    {CookieProblem::kStoredUndecryptable, "au"},
    {CookieProblem::kShadowedElsewhere, ""},
    {CookieProblem::kBoardKeepsSettings, ""},
    {CookieProblem::kAddressNotSent, "a"},
    {CookieProblem::kNotCookieAddress, ""},
    {CookieProblem::kCannotSetAt, "a"},
    {CookieProblem::kControlInField, "f"},
    {CookieProblem::kControlCharacter, ""},
    {CookieProblem::kTabOrNewline, ""},
    {CookieProblem::kEmptyName, ""},
    {CookieProblem::kBadExpiryOrAttribute, ""},
    {CookieProblem::kNeedsExpiry, "n"},
    {CookieProblem::kTooLong, "l"},
    {CookieProblem::kTooManyBytes, "#l"},
    {CookieProblem::kInvalidBytes, "f"},
    {CookieProblem::kCannotSend, "fcn"},
    {CookieProblem::kCannotSendUseUtf8, "fcn"},
    {CookieProblem::kCannotSendSome, "fn"},
    {CookieProblem::kFirefoxNeedsUtf8, "fc"},
    {CookieProblem::kNotUtf8Text, "f"},
    {CookieProblem::kNotInCodePage, "fc#"},
    {CookieProblem::kStoreRefused, ""},
    {CookieProblem::kUnsafeToWrite, "n"},
    {CookieProblem::kUnknownStoreVersion, "n#"},
    {CookieProblem::kMissingColumn, "ni"},
    {CookieProblem::kDatabaseBusy, "n#"},
    {CookieProblem::kDatabaseUnusable, "ns"},
    {CookieProblem::kBackupFailed, "ns"},
    {CookieProblem::kDescriptorPath, "p"},
    {CookieProblem::kJarIsFolder, "p"},
    {CookieProblem::kNotAJar, "p"},
    {CookieProblem::kJarUnreadable, "ps"},
    {CookieProblem::kJarUnopenable, "ps"},
    {CookieProblem::kJarUnwritable, "ps"},
    {CookieProblem::kJarFolderUncreatable, "ps"},
    {CookieProblem::kJarFolderUnopenable, "ps"},
    {CookieProblem::kJarBusy, "p#"},
    {CookieProblem::kJarGone, "p"},
    {CookieProblem::kSystemReadFailed, "s"},
    {CookieProblem::kSystemWriteFailed, "s"},
    {CookieProblem::kNoUndo, ""},
    {CookieProblem::kChangedSinceWrite, ""},
    {CookieProblem::kRecordNotJars, ""},
    {CookieProblem::kRecordNotStores, "n"},
    {CookieProblem::kNoCryptoLibrary, ""},
    {CookieProblem::kUnknownCipher, "n"},
    {CookieProblem::kKeyringNeeded, ""},
    {CookieProblem::kCannotEncrypt, ""},
    {CookieProblem::kCannotDecrypt, ""},
    {CookieProblem::kFirefoxRunning, "#"},
    {CookieProblem::kChromiumElsewhere, "n"},
    {CookieProblem::kChromiumRunning, "#"},
    {CookieProblem::kBrowserRunning, "np"},
    {CookieProblem::kAppBoundCipher, "n"},
    {CookieProblem::kBrowserKeyUnusable, "np"},
    {CookieProblem::kNoHomeForJar, ""},
    {CookieProblem::kFolderNotWritable, "p"},
    {CookieProblem::kNoJournalPlace, "pn"},
    {CookieProblem::kFileFailed, "ps"},
    {CookieProblem::kNotAJournal, "p"},
};

CookieFailure WithEveryDetail(CookieProblem problem) {
    return MakeFailure(problem, CookieDetails()
                                    .Character("§")
                                    .Field(CookieField::kMail)
                                    .Path("/p/ath")
                                    .Name("Nm")
                                    .Item("It")
                                    .Address("ad.example/")
                                    .System("sys-words")
                                    .Number(7001)
                                    .Limit(7002)
                                    .Cause(CookieProblem::kCannotDecrypt));
}

// The details named, as each catalog words them.
std::vector<std::string> Expected(const std::string& letters, bool window) {
    std::vector<std::string> parts;
    for (const char letter : letters) {
        switch (letter) {
            case 'a':
                parts.push_back("ad.example/");
                break;
            case 'c':
                parts.push_back("§");
                break;
            case 'f':
                parts.push_back(window ? FieldText(CookieField::kMail)
                                       : cli::FieldText(CookieField::kMail));
                break;
            case 'i':
                parts.push_back("It");
                break;
            case 'n':
                parts.push_back("Nm");
                break;
            case 'p':
                parts.push_back("/p/ath");
                break;
            case 's':
                parts.push_back("sys-words");
                break;
            case '#':
                parts.push_back("7001");
                break;
            case 'l':
                parts.push_back("7002");
                break;
            case 'u': {
                const CookieFailure cause = MakeFailure(CookieProblem::kCannotDecrypt);
                parts.push_back(window ? FailureText(cause) : cli::FailureText(cause));
                break;
            }
        }
    }
    return parts;
}

// Each problem has a kind and words in the window's catalog and in tessel's, both naming its
// details; under a Japanese locale tessel's words are the window's, to the letter.
TEST(FailureTextTest, EveryProblemIsWordedInBothCatalogsWithItsDetails) {
    for (const CookieProblem problem : AllCookieProblems()) {
        SCOPED_TRACE(static_cast<int>(problem));
        ASSERT_EQ(kNamed.count(problem), 1u);
        EXPECT_NE(KindOf(problem), CookieFailureKind::kNone);
        const CookieFailure failure = WithEveryDetail(problem);
        for (const bool window : {true, false}) {
            const std::string text = window ? FailureText(failure) : cli::FailureText(failure);
            EXPECT_FALSE(text.empty());
            for (const std::string& part : Expected(kNamed.at(problem), window))
                EXPECT_NE(text.find(part), std::string::npos) << text << " lacks " << part;
        }
    }
#ifndef _WIN32
    // The build's catalog, as tessel finds it beside itself.
    const std::string built =
        std::filesystem::path(testing::BuiltProgram("tessel")).parent_path().string();
    setenv("LC_ALL", "ja_JP.UTF-8", 1);
    cli::InitTranslations(built);
    for (const CookieProblem problem : AllCookieProblems()) {
        SCOPED_TRACE(static_cast<int>(problem));
        EXPECT_EQ(cli::FailureText(WithEveryDetail(problem)),
                  FailureText(WithEveryDetail(problem)));
    }
    setenv("LC_ALL", "C.UTF-8", 1);
    cli::InitTranslations(built);
#endif
}

}  // namespace
}  // namespace tessel
