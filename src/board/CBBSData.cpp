#include "board/CBBSData.h"

#include <array>
#include <string_view>

#include "board/BoardMode.h"
#include "board/CookieEscaping.h"
#include "board/CookieLayout.h"
#include "cookies/CookieDate.h"
#include "cookies/CookieText.h"
#include "settings/NumericText.h"
#include "settings/mdlIsType.h"

namespace tessel {
namespace {

std::vector<std::string> SplitFields(const std::string& value) {
    std::vector<std::string> fields;
    if (value.empty())
        return fields;  // no fields at all, not one empty field
    std::size_t start = 0;
    for (std::size_t comma; (comma = value.find(',', start)) != std::string::npos;
         start = comma + 1) {
        fields.push_back(value.substr(start, comma - start));
    }
    fields.push_back(value.substr(start));
    return fields;
}

}  // namespace

bool CBBSData::GetCookie() {
    State().lastFailure = {};
    std::string value;
    CookieFailure missing = MakeFailure(CookieProblem::kNoCookieYet);
    if (!IsCookieAddress(m_URL)) {
        missing = MakeFailure(CookieProblem::kNotHttpAddress, CookieDetails().Address(m_URL));
    } else if (const std::optional<std::string> text = store_.InternetGetCookie(m_URL, m_URL)) {
        if (std::optional<std::string> found = FindCookieValue(*text, m_URL))
            value = std::move(*found);
        else if (store_.LastFailure().kind == CookieFailureKind::kUnreadable)
            missing = store_.LastFailure();
    } else {
        missing = store_.LastFailure();
    }
    const bool read = ParseCookie(value);
    if (!read && value.empty())
        State().lastFailure = std::move(missing);
    return read;
}

bool CBBSData::ParseCookie(const std::string& value) {
    std::vector<std::string> fields = SplitFields(value);
    const CookieLayout* layout = LayoutOf(m_Mode);
    if (layout == nullptr)
        return true;  // no layout: nothing to read, nothing failed
    const std::size_t count = layout->fieldCount;
    if (fields.size() != count) {
        State().lastFailure = MakeFailure(
            CookieProblem::kFieldCountMismatch,
            CookieDetails().Number(static_cast<std::int64_t>(fields.size())).Limit(count));
        return false;
    }

    // Every test comes before the first assignment, so a read changes all members or none.
    for (std::size_t i = kFirstIntegerField; i < count; ++i) {
        if (fields[i].empty())
            fields[i] = layout->integerDefaults[i - kFirstIntegerField];
        if (!mdlIsType::IsInteger(fields[i])) {
            State().lastFailure =
                MakeFailure(CookieProblem::kNumberUnreadable, CookieDetails().Item(fields[i]));
            return false;
        }
    }

    CookieState& state = State();
    state.m_PostName = DecodeValue(fields[0]);
    state.m_Mail = DecodeValue(fields[1]);
    state.m_HomePage = DecodeValue(fields[2]);
    state.m_Password = DecodeValue(fields[3]);
    m_ViewCount = ToInteger(fields[4]);
    m_ViewOrder = ToInteger(fields[5]);
    m_NoReadView = ToInteger(fields[6]);
    m_NoReadPoint = ToInteger(fields[7]);
    m_DownloadCount = ToInteger(fields[8]);
    if (m_Mode == kModeQuill)
        m_NoReadPoint_R = ToInteger(fields[9]);
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
    CookieState& state = State();
    CookieFailure& failure = state.lastFailure;
    failure = {};
    // Harbor boards have no cookie layout: writing would replace the board's own cookie with an
    // empty value.
    if (LayoutOf(m_Mode) == nullptr) {
        failure = MakeFailure(CookieProblem::kBoardKeepsSettings);
        return false;
    }
    if (!IsCookieAddress(m_URL)) {
        failure = MakeFailure(CookieProblem::kAddressNotSent, CookieDetails().Address(m_URL));
        return false;
    }

    const std::string value = MakeCookie();
    for (const std::string* text :
         {&state.m_PostName, &state.m_Mail, &state.m_HomePage, &state.m_Password}) {
        if (HasControlCharacter(*text)) {
            failure = MakeFailure(CookieProblem::kControlInField,
                                  CookieDetails().Field(FieldHolding(*text)));
            return false;
        }
    }
    if (store_.InternetSetCookie(m_URL, m_URL, value + "; expires=" + GetExpiresText()))
        return true;
    failure = store_.LastFailure();
    if (failure.kind == CookieFailureKind::kUnencodable && !failure.details.character.empty())
        failure.details.field = FieldHolding(failure.details.character);
    if (!failure)
        failure = MakeFailure(CookieProblem::kStoreRefused);
    return false;
}

std::string CBBSData::MakeCookie() const {
    if (LayoutOf(m_Mode) == nullptr)
        return std::string();
    const CookieState& state = State();
    std::string value = EncodeValue(state.m_PostName);
    for (const std::string* text : {&state.m_Mail, &state.m_HomePage, &state.m_Password}) {
        value += ',';
        value += EncodeValue(*text);
    }
    for (std::int32_t number :
         {m_ViewCount, m_ViewOrder, m_NoReadView, m_NoReadPoint, m_DownloadCount}) {
        value += ',';
        value += std::to_string(number);
    }
    if (m_Mode == kModeQuill) {
        value += ',';
        value += std::to_string(m_NoReadPoint_R);
    }
    return value;
}

std::string CBBSData::GetExpiresText() {
    SystemTime now = clock_.GetSystemTime();
    now.milliseconds = 0;
    return FormatCookieDate(AddDays(now, m_CookieExpirationDate));
}

}  // namespace tessel
