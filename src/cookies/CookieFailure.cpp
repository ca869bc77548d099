#include "cookies/CookieFailure.h"

#include <array>
#include <iterator>
#include <utility>

namespace tessel {
namespace {

using Kind = CookieFailureKind;
using Problem = CookieProblem;

constexpr std::pair<Problem, Kind> kKinds[] = {
    {Problem::kNoCookieYet, Kind::kNoCookie},
    {Problem::kNotHttpAddress, Kind::kBadAddress},
    {Problem::kFieldCountMismatch, Kind::kUnreadable},
    {Problem::kNumberUnreadable, Kind::kUnreadable},
    {Problem::kStoredHttpOnly, Kind::kUnreadable},
    {Problem::kStoredSecureOnHttp, Kind::kUnreadable},
    {Problem::kStoredReplacedByBrowser, Kind::kUnreadable},
    {Problem::kStoredInOtherCharset, Kind::kUnreadable},
    {Problem::kStoredInOtherJarCharset, Kind::kUnreadable},
    {Problem::kStoredUndecryptable, Kind::kUnreadable},
    {Problem::kShadowedElsewhere, Kind::kUnreadable},
    {Problem::kBoardKeepsSettings, Kind::kNoLayout},
    {Problem::kAddressNotSent, Kind::kBadAddress},
    {Problem::kNotCookieAddress, Kind::kBadAddress},
    {Problem::kCannotSetAt, Kind::kBadAddress},
    {Problem::kControlInField, Kind::kBadCharacter},
    {Problem::kControlCharacter, Kind::kBadCharacter},
    {Problem::kTabOrNewline, Kind::kBadCharacter},
    {Problem::kEmptyName, Kind::kBadCharacter},
    {Problem::kBadExpiryOrAttribute, Kind::kBadCharacter},
    {Problem::kNeedsExpiry, Kind::kStoreUnusable},
    {Problem::kTooLong, Kind::kTooLong},
    {Problem::kTooManyBytes, Kind::kTooLong},
    {Problem::kInvalidBytes, Kind::kUnencodable},
    {Problem::kCannotSend, Kind::kUnencodable},
    {Problem::kCannotSendUseUtf8, Kind::kUnencodable},
    {Problem::kCannotSendSome, Kind::kUnencodable},
    {Problem::kFirefoxNeedsUtf8, Kind::kUnencodable},
    {Problem::kNotUtf8Text, Kind::kUnencodable},
    {Problem::kNotInCodePage, Kind::kUnencodable},
    {Problem::kStoreRefused, Kind::kStoreUnusable},
    {Problem::kUnsafeToWrite, Kind::kStoreUnusable},
    {Problem::kUnknownStoreVersion, Kind::kStoreUnusable},
    {Problem::kOldStoreVersion, Kind::kStoreUnusable},
    {Problem::kMissingColumn, Kind::kStoreUnusable},
    {Problem::kDatabaseBusy, Kind::kStoreBusy},
    {Problem::kDatabaseUnusable, Kind::kStoreUnusable},
    {Problem::kBackupFailed, Kind::kStoreUnusable},
    {Problem::kDescriptorPath, Kind::kStoreUnusable},
    {Problem::kJarIsFolder, Kind::kStoreUnusable},
    {Problem::kNotAJar, Kind::kStoreUnusable},
    {Problem::kJarUnreadable, Kind::kStoreUnusable},
    {Problem::kJarUnopenable, Kind::kStoreUnusable},
    {Problem::kJarUnwritable, Kind::kStoreUnusable},
    {Problem::kJarFolderUncreatable, Kind::kStoreUnusable},
    {Problem::kJarFolderUnopenable, Kind::kStoreUnusable},
    {Problem::kJarBusy, Kind::kStoreBusy},
    {Problem::kJarGone, Kind::kStoreUnusable},
    {Problem::kSystemReadFailed, Kind::kStoreUnusable},
    {Problem::kSystemWriteFailed, Kind::kStoreUnusable},
    {Problem::kNoUndo, Kind::kStoreUnusable},
    {Problem::kChangedSinceWrite, Kind::kChanged},
    {Problem::kStoreVersionChangedSinceWrite, Kind::kChanged},
    {Problem::kRecordNotJars, Kind::kStoreUnusable},
    {Problem::kRecordNotStores, Kind::kStoreUnusable},
    {Problem::kNoCryptoLibrary, Kind::kStoreUnusable},
    {Problem::kUnknownCipher, Kind::kStoreUnusable},
    {Problem::kKeyringNeeded, Kind::kStoreUnusable},
    {Problem::kCannotEncrypt, Kind::kStoreUnusable},
    {Problem::kCannotDecrypt, Kind::kStoreUnusable},
    {Problem::kFirefoxRunning, Kind::kStoreBusy},
    {Problem::kChromiumElsewhere, Kind::kStoreBusy},
    {Problem::kChromiumRunning, Kind::kStoreBusy},
    {Problem::kFlatpakRunning, Kind::kStoreBusy},
    {Problem::kFlatpakUnsure, Kind::kStoreBusy},
    {Problem::kKeyringKeysMisfit, Kind::kStoreUnusable},
    {Problem::kPortalKey, Kind::kStoreUnusable},
    {Problem::kBrowserRunning, Kind::kStoreBusy},
    {Problem::kAppBoundCipher, Kind::kStoreUnusable},
    {Problem::kBrowserKeyUnusable, Kind::kStoreUnusable},
    {Problem::kNoHomeForJar, Kind::kStoreUnusable},
    {Problem::kStoreKindUnavailable, Kind::kStoreUnusable},
    {Problem::kNoBrowserProfile, Kind::kStoreUnusable},
    {Problem::kNoCookieDatabase, Kind::kStoreUnusable},
    {Problem::kFolderNotWritable, Kind::kStoreUnusable},
    {Problem::kNoJournalPlace, Kind::kStoreUnusable},
    {Problem::kFileFailed, Kind::kStoreUnusable},
    {Problem::kNotAJournal, Kind::kStoreUnusable},
};
constexpr std::size_t kCount = std::size(kKinds);

// The table lists every problem once, in declaration order, so that a problem is its own index.
constexpr bool InOrder() {
    for (std::size_t i = 0; i < kCount; ++i) {
        if (static_cast<std::size_t>(kKinds[i].first) != i + 1)
            return false;
    }
    return true;
}
static_assert(InOrder());

constexpr std::array<Problem, kCount> kProblems = [] {
    std::array<Problem, kCount> problems{};
    for (std::size_t i = 0; i < kCount; ++i)
        problems[i] = kKinds[i].first;
    return problems;
}();

}  // namespace

CookieFailureKind KindOf(CookieProblem problem) {
    const auto index = static_cast<std::size_t>(problem);
    return index == 0 || index > kCount ? Kind::kNone : kKinds[index - 1].second;
}

std::span<const CookieProblem> AllCookieProblems() {
    return kProblems;
}

bool CookieFailure::HasDetails() const {
    return !details.character.empty() || details.field != CookieField::kNone ||
           !details.path.empty() || !details.name.empty() || !details.item.empty() ||
           !details.address.empty() || !details.system.empty() ||
           details.error != std::error_code() || details.number != 0 || details.limit != 0 ||
           details.cause != CookieProblem::kNone;
}

void CookieFailure::Clear() {
    // A failure of a problem alone (no cookie yet, a board without a layout, ...) needs only its
    // problem taken away; the details are rebuilt only when one of them was set.
    if (HasDetails()) {
        *this = {};
    } else {
        kind = CookieFailureKind::kNone;
        problem = CookieProblem::kNone;
    }
}

}  // namespace tessel
