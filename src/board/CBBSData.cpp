#include "board/CBBSData.h"

#include <array>
#include <charconv>
#include <optional>
#include <string_view>
#include <utility>

#include "board/BoardMode.h"
#include "board/CookieEscaping.h"
#include "board/CookieLayout.h"
#include "cookies/CookieDate.h"
#include "cookies/CookieText.h"
#include "settings/NumericText.h"
#include "settings/mdlIsType.h"

namespace tessel {
namespace {

constexpr std::size_t kMostFields = 10;

// A number field as the board script writes it: up to four digits, maybe after "-", which is
// the value ToInteger gives without its checks and exceptions. False for any other form.
bool ReadPlainNumber(std::string_view text, std::int32_t& number) {
    const bool negative = text.starts_with('-');
    const std::string_view digits = text.substr(negative ? 1 : 0);
    if (digits.empty() || digits.size() > 4)
        return false;
    std::int32_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    number = negative ? -value : value;
    return true;
}

// The expiry text for days from now; the last one is kept, as a batch writes its boards within
// the same second, mostly with the same number of days.
const std::string& ExpiresText(Clock& clock, std::int32_t days) {
    SystemTime now = clock.GetSystemTime();
    now.milliseconds = 0;
    thread_local SystemTime lastNow;
    thread_local std::int32_t lastDays = 0;
    thread_local std::string lastText;
    if (lastText.empty() || now != lastNow || days != lastDays) {
        lastText = FormatCookieDate(AddDays(now, days));
        lastNow = now;
        lastDays = days;
    }
    return lastText;
}

}  // namespace

const CookieFailure CBBSData::kNoFailure;
const CookieFailure CBBSData::kNoCookieYet = MakeFailure(CookieProblem::kNoCookieYet);
const CookieFailure CBBSData::kKeepsSettings = MakeFailure(CookieProblem::kBoardKeepsSettings);

void CBBSData::KeepFailure(CookieFailure failure) {
    CookieState& state = State();
    if (state.ownFailure)
        *state.ownFailure = std::move(failure);
    else
        state.ownFailure = std::make_unique<CookieFailure>(std::move(failure));
    state.lastFailure = state.ownFailure.get();
}

bool CBBSData::CookieAddress() {
    CookieState& state = State();
    if (!state.cookieAddress)
        state.cookieAddress = IsCookieAddress(m_URL);
    return state.cookieAddress;
}

bool CBBSData::GetCookie() {
    State().lastFailure = &kNoFailure;
    std::optional<std::string> found;
    const CookieFailure* storeFailure = nullptr;
    const bool address = CookieAddress();
    if (address) {
        if (const std::optional<std::string> text = store_.InternetGetCookie(m_URL, m_URL)) {
            found = FindCookieValue(*text, m_URL);
            if (!found && store_.LastFailure().kind == CookieFailureKind::kUnreadable)
                storeFailure = &store_.LastFailure();
        } else {
            storeFailure = &store_.LastFailure();
        }
    }
    if (found && !found->empty())
        return ParseCookie(*found);
    if (LayoutOf(m_Mode) == nullptr)
        return true;  // no layout: nothing to read, nothing failed
    // Nothing to read: why is only worded now, as a batch of new boards meets it on every board.
    if (storeFailure != nullptr)
        KeepFailure(*storeFailure);
    else if (!address)
        KeepFailure(MakeFailure(CookieProblem::kNotHttpAddress, CookieDetails().Address(m_URL)));
    else
        State().lastFailure = &kNoCookieYet;
    return false;
}

bool CBBSData::ParseCookie(const std::string& value) {
    const CookieLayout* layout = LayoutOf(m_Mode);
    if (layout == nullptr)
        return true;  // no layout: nothing to read, nothing failed
    const std::size_t count = layout->fieldCount;
    std::array<std::string_view, kMostFields> fields;
    std::size_t found = 0;
    const std::string_view text(value);
    for (std::size_t start = 0;; ++found) {
        const std::size_t comma = text.find(',', start);
        if (found < fields.size())
            fields[found] = text.substr(start, comma - start);
        if (comma == std::string_view::npos) {
            ++found;
            break;
        }
        start = comma + 1;
    }
    if (value.empty())
        found = 0;  // no fields at all, not one empty field
    if (found != count) {
        KeepFailure(
            MakeFailure(CookieProblem::kFieldCountMismatch,
                        CookieDetails().Number(static_cast<std::int64_t>(found)).Limit(count)));
        return false;
    }

    // Every test comes before the first assignment, so a read changes all members or none.
    std::array<std::int32_t, kMostFields - kFirstIntegerField> numbers{};
    for (std::size_t i = kFirstIntegerField; i < count; ++i) {
        if (fields[i].empty())
            fields[i] = layout->integerDefaults[i - kFirstIntegerField];
        if (ReadPlainNumber(fields[i], numbers[i - kFirstIntegerField]))
            continue;
        if (!mdlIsType::IsInteger(fields[i])) {
            KeepFailure(MakeFailure(CookieProblem::kNumberUnreadable,
                                    CookieDetails().Item(std::string(fields[i]))));
            return false;
        }
        numbers[i - kFirstIntegerField] = ToInteger(fields[i]);
    }

    CookieState& state = State();
    state.m_PostName = DecodeValue(fields[0]);
    state.m_Mail = DecodeValue(fields[1]);
    state.m_HomePage = DecodeValue(fields[2]);
    state.m_Password = DecodeValue(fields[3]);
    m_ViewCount = numbers[0];
    m_ViewOrder = numbers[1];
    m_NoReadView = numbers[2];
    m_NoReadPoint = numbers[3];
    m_DownloadCount = numbers[4];
    if (m_Mode == kModeQuill)
        m_NoReadPoint_R = numbers[5];
    return true;
}

CookieField CBBSData::FieldHolding(std::string_view text) const {
    const CookieState& state = State();
    const std::pair<const std::string*, CookieField> fields[] = {
        {&state.m_PostName, CookieField::kPostName},
        {&state.m_Mail, CookieField::kMail},
        {&state.m_HomePage, CookieField::kHomePage},
        {&state.m_Password, CookieField::kPassword},
    };
    for (const auto& [field, label] : fields) {
        if (field->find(text) != std::string::npos)
            return label;
    }
    return CookieField::kAddress;
}

bool CBBSData::SetCookie() {
    State().lastFailure = &kNoFailure;
    // Harbor boards have no cookie layout: writing would replace the board's own cookie with an
    // empty value.
    if (LayoutOf(m_Mode) == nullptr) {
        State().lastFailure = &kKeepsSettings;
        return false;
    }
    if (!CookieAddress()) {
        KeepFailure(MakeFailure(CookieProblem::kAddressNotSent, CookieDetails().Address(m_URL)));
        return false;
    }
    const CookieState& state = State();

    for (const std::string* text :
         {&state.m_PostName, &state.m_Mail, &state.m_HomePage, &state.m_Password}) {
        if (HasControlCharacter(*text)) {
            KeepFailure(MakeFailure(CookieProblem::kControlInField,
                                    CookieDetails().Field(FieldHolding(*text))));
            return false;
        }
    }
    // Made in the room the last board's value left: a batch writes one per board.
    thread_local std::string value;
    value.clear();
    AppendCookie(value);
    value.append("; expires=").append(ExpiresText(clock_, m_CookieExpirationDate));
    if (store_.InternetSetCookie(m_URL, m_URL, value))
        return true;
    CookieFailure failure = store_.LastFailure();
    if (failure.kind == CookieFailureKind::kUnencodable && !failure.details.character.empty())
        failure.details.field = FieldHolding(failure.details.character);
    if (!failure)
        failure = MakeFailure(CookieProblem::kStoreRefused);
    KeepFailure(std::move(failure));
    return false;
}

void CBBSData::AppendCookie(std::string& value) const {
    if (LayoutOf(m_Mode) == nullptr)
        return;
    const CookieState& state = State();
    const std::string* texts[] = {&state.m_PostName, &state.m_Mail, &state.m_HomePage,
                                  &state.m_Password};
    // Room for the texts, the numbers and the expiry the caller adds, so the value grows once.
    std::size_t room = 128;
    for (const std::string* text : texts)
        room += text->size();
    value.reserve(value.size() + room);
    for (const std::string* text : texts) {
        if (text != texts[0])
            value += ',';
        AppendEncodedValue(value, *text);
    }
    // The numbers are printed side by side first and appended as one run.
    const std::int32_t numbers[] = {m_ViewCount,   m_ViewOrder,     m_NoReadView,
                                    m_NoReadPoint, m_DownloadCount, m_NoReadPoint_R};
    const std::size_t count = m_Mode == kModeQuill ? 6 : 5;
    char printed[6 * 12];
    char* end = printed;
    for (std::size_t i = 0; i < count; ++i) {
        *end++ = ',';
        end = std::to_chars(end, printed + sizeof printed, numbers[i]).ptr;
    }
    value.append(printed, end);
}

}  // namespace tessel
