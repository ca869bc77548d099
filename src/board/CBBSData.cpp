#include "board/CBBSData.h"

#include <array>
#include <string_view>

#include "board/BoardMode.h"
#include "board/CookieDate.h"
#include "board/CookieEscaping.h"
#include "board/CookieLayout.h"
#include "board/CookieText.h"
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
    std::string value;
    if (const std::optional<std::string> text = store_.InternetGetCookie(m_URL, m_URL)) {
        value = FindCookieValue(*text, m_URL).value_or("");
    }
    return ParseCookie(value);
}

bool CBBSData::ParseCookie(const std::string& value) {
    std::vector<std::string> fields = SplitFields(value);
    const CookieLayout* layout = LayoutOf(m_Mode);
    if (layout == nullptr)
        return true;  // no layout: nothing to read, nothing failed
    const std::size_t count = layout->fieldCount;
    if (fields.size() != count)
        return false;

    // Every test comes before the first assignment, so a read changes all members or none.
    for (std::size_t i = kFirstIntegerField; i < count; ++i) {
        if (fields[i].empty())
            fields[i] = layout->integerDefaults[i - kFirstIntegerField];
        if (!mdlIsType::IsInteger(fields[i]))
            return false;
    }

    m_PostName = DecodeValue(fields[0]);
    m_Mail = DecodeValue(fields[1]);
    m_HomePage = DecodeValue(fields[2]);
    m_Password = DecodeValue(fields[3]);
    m_ViewCount = ToInteger(fields[4]);
    m_ViewOrder = ToInteger(fields[5]);
    m_NoReadView = ToInteger(fields[6]);
    m_NoReadPoint = ToInteger(fields[7]);
    m_DownloadCount = ToInteger(fields[8]);
    if (m_Mode == kModeQuill)
        m_NoReadPoint_R = ToInteger(fields[9]);
    return true;
}

bool CBBSData::SetCookie() {
    // Harbor boards have no cookie layout: writing would replace the board's own cookie with an
    // empty value.
    if (LayoutOf(m_Mode) == nullptr)
        return false;
    if (!IsCookieAddress(m_URL))
        return false;

    const std::string value = MakeCookie();
    if (HasControlCharacter(value) || m_URL.size() + value.size() > kMaxCookieBytes)
        return false;
    return store_.InternetSetCookie(m_URL, m_URL, value + "; expires=" + GetExpiresText());
}

std::string CBBSData::MakeCookie() const {
    if (LayoutOf(m_Mode) == nullptr)
        return std::string();
    std::string value = EncodeValue(m_PostName);
    for (const std::string* text : {&m_Mail, &m_HomePage, &m_Password}) {
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
