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
    {CookieProblem::kUnknownStoreVersion, "n#l"},
    {CookieProblem::kOldStoreVersion, "n#l"},
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
    {CookieProblem::kStoreVersionChangedSinceWrite, "n#l"},
    {CookieProblem::kRecordNotJars, ""},
    {CookieProblem::kRecordNotStores, "n"},
    {CookieProblem::kNoCryptoLibrary, ""},
    {CookieProblem::kUnknownCipher, "n"},
    {CookieProblem::kKeyringNeeded, ""},
    {CookieProblem::kCannotEncrypt, ""},
    {CookieProblem::kCannotDecrypt, ""},
    {CookieProblem::kFirefoxRunning, "#"},
    {CookieProblem::kChromiumElsewhere, "n"},
    {CookieProblem::kChromiumRunning, "#n"},
    {CookieProblem::kFlatpakRunning, "n#"},
    {CookieProblem::kFlatpakUnsure, "n#"},
    {CookieProblem::kKeyringKeysMisfit, ""},
    {CookieProblem::kPortalKey, ""},
    {CookieProblem::kBrowserRunning, "np"},
    {CookieProblem::kAppBoundCipher, "n"},
    {CookieProblem::kBrowserKeyUnusable, "np"},
    {CookieProblem::kNoHomeForJar, ""},
    {CookieProblem::kStoreKindUnavailable, "n"},
    {CookieProblem::kNoBrowserProfile, "ni"},
    {CookieProblem::kNoCookieDatabase, "nip"},
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

// Runs check with tessel's Japanese catalog bound, as tessel finds it beside itself in the build.
template <typename Check>
void UnderJapanese(Check check) {
#ifndef _WIN32
    const std::string built =
        std::filesystem::path(testing::BuiltProgram("tessel")).parent_path().string();
    setenv("LC_ALL", "ja_JP.UTF-8", 1);
    cli::InitTranslations(built);
    check();
    setenv("LC_ALL", "C.UTF-8", 1);
    cli::InitTranslations(built);
#else
    (void)check;
#endif
}

// Which details each board-list problem's words name: s(ection), t(ext), c(haracter),
// y (system words), #(number), l(imit), u(nderlying cause: its character).
const std::map<ProfileProblem, std::string> kProfileNamed = {
    {ProfileProblem::kNotFound, ""},
    {ProfileProblem::kUnreadable, "y"},
    {ProfileProblem::kUnwritable, "y"},
    {ProfileProblem::kFolder, ""},
    {ProfileProblem::kNotRegularFile, ""},
    {ProfileProblem::kTooLarge, "l"},
    {ProfileProblem::kUtf32, ""},
    {ProfileProblem::kUtf16BigEndian, ""},
    {ProfileProblem::kUtf16WithoutMark, ""},
    {ProfileProblem::kNulInLine, "#"},
    {ProfileProblem::kNotReadBack, ""},
    {ProfileProblem::kUnencodable, ""},
    {ProfileProblem::kCannotOpen, "u"},
    {ProfileProblem::kNamedFolder, ""},
    {ProfileProblem::kCannotRead, "u"},
    {ProfileProblem::kCannotWrite, "u"},
    {ProfileProblem::kNotUtf8Text, ""},
    {ProfileProblem::kNotInCodePage, "c#"},
    {ProfileProblem::kSameSectionNames, "st"},
    {ProfileProblem::kNoMode, "s"},
    {ProfileProblem::kUnknownMode, "st"},
};

// Each detail's letter, and how the words show it.
const std::map<char, std::string> kProfileParts = {
    {'s', "Sec"},  {'t', "Txt"},  {'c', "§"}, {'y', "sys-words"},
    {'#', "7001"}, {'l', "7002"}, {'u', "§"},
};

ProfileFailure WithEveryDetail(ProfileProblem problem) {
    ProfileFailure failure(problem);
    failure.path = "/p/ath";
    failure.section = "Sec";
    failure.text = "Txt";
    failure.character = "§";
    failure.system = "sys-words";
    failure.number = 7001;
    failure.limit = 7002;
    if (kProfileNamed.at(problem).find('u') != std::string::npos)
        failure.cause = ProfileProblem::kNotInCodePage;
    return failure;
}

// Each board-list problem has words in both catalogs, after the list's path and naming its
// details; under a Japanese locale tessel's words are the window's, to the letter.
TEST(FailureTextTest, EveryBoardListProblemIsWordedInBothCatalogsWithItsDetails) {
    const auto all = [](auto each) {
        for (int value = 1; value <= static_cast<int>(kLastProfileProblem); ++value) {
            SCOPED_TRACE(value);
            each(WithEveryDetail(static_cast<ProfileProblem>(value)));
        }
    };
    all([](const ProfileFailure& failure) {
        for (const std::string& text :
             {BoardListFailureText(failure), cli::BoardListFailureText(failure)}) {
            EXPECT_EQ(text.rfind("/p/ath: ", 0), 0u) << text;
            EXPECT_GT(text.size(), 8u);
            for (const char letter : kProfileNamed.at(failure.problem)) {
                const std::string& part = kProfileParts.at(letter);
                EXPECT_NE(text.find(part), std::string::npos) << text << " lacks " << part;
            }
        }
    });
    UnderJapanese([&] {
        all([](const ProfileFailure& failure) {
            EXPECT_EQ(cli::BoardListFailureText(failure), BoardListFailureText(failure));
        });
    });
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
    UnderJapanese([] {
        for (const CookieProblem problem : AllCookieProblems()) {
            SCOPED_TRACE(static_cast<int>(problem));
            EXPECT_EQ(cli::FailureText(WithEveryDetail(problem)),
                      FailureText(WithEveryDetail(problem)));
        }
    });
}

}  // namespace
}  // namespace tessel
