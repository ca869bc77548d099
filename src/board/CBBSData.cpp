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

CookieFailure Failure(CookieFailureKind kind, std::string reason) {
    return {kind, std::move(reason), {}};
}

}  // namespace

bool CBBSData::GetCookie() {
    lastFailure_ = {};
    std::string value;
    CookieFailure missing =
        Failure(CookieFailureKind::kNoCookie, "この保存先にはまだこの掲示板のクッキーがありません");
    if (!IsCookieAddress(m_URL)) {
        missing = Failure(CookieFailureKind::kBadAddress,
                          "アドレス「" + m_URL + "」は http または https のアドレスではありません");
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
        lastFailure_ = std::move(missing);
    return read;
}

bool CBBSData::ParseCookie(const std::string& value) {
    std::vector<std::string> fields = SplitFields(value);
    const CookieLayout* layout = LayoutOf(m_Mode);
    if (layout == nullptr)
        return true;  // no layout: nothing to read, nothing failed
    const std::size_t count = layout->fieldCount;
    if (fields.size() != count) {
        lastFailure_ =
            Failure(CookieFailureKind::kUnreadable,
                    "保存されているクッキーの項目が " + std::to_string(fields.size()) +
                        " 個で、この種類の掲示板の " + std::to_string(count) + " 個と合いません");
        return false;
    }

    // Every test comes before the first assignment, so a read changes all members or none.
    for (std::size_t i = kFirstIntegerField; i < count; ++i) {
        if (fields[i].empty())
            fields[i] = layout->integerDefaults[i - kFirstIntegerField];
        if (!mdlIsType::IsInteger(fields[i])) {
            lastFailure_ =
                Failure(CookieFailureKind::kUnreadable,
                        "保存されているクッキーの数の項目「" + fields[i] + "」を読めません");
            return false;
        }
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

std::string CBBSData::FieldHolding(std::string_view text) const {
    const std::pair<const std::string*, const char*> fields[] = {
        {&m_PostName, "名前"},
        {&m_Mail, "メール"},
        {&m_HomePage, "自分のホームページ"},
        {&m_Password, "パスワード"},
    };
    for (const auto& [field, label] : fields) {
        if (field->find(text) != std::string::npos)
            return label;
    }
    return "アドレス";
}

bool CBBSData::SetCookie() {
    lastFailure_ = {};
    // Harbor boards have no cookie layout: writing would replace the board's own cookie with an
    // empty value.
    if (LayoutOf(m_Mode) == nullptr) {
        lastFailure_ = Failure(CookieFailureKind::kNoLayout,
                               "この種類の掲示板は設定を掲示板自身に保存するため、クッキーでは"
                               "設定できません");
        return false;
    }
    if (!IsCookieAddress(m_URL)) {
        lastFailure_ = Failure(CookieFailureKind::kBadAddress,
                               "アドレス「" + m_URL +
                                   "」は http または https のアドレスではないか、ブラウザが別の"
                                   "ホストに送るアドレスです");
        return false;
    }

    const std::string value = MakeCookie();
    for (const std::string* text : {&m_PostName, &m_Mail, &m_HomePage, &m_Password}) {
        if (HasControlCharacter(*text)) {
            lastFailure_ = Failure(CookieFailureKind::kBadCharacter,
                                   FieldHolding(*text) + "に制御文字 (タブや改行) があります");
            return false;
        }
    }
    if (store_.InternetSetCookie(m_URL, m_URL, value + "; expires=" + GetExpiresText()))
        return true;
    lastFailure_ = store_.LastFailure();
    if (lastFailure_.kind == CookieFailureKind::kUnencodable && !lastFailure_.character.empty())
        lastFailure_.reason = FieldHolding(lastFailure_.character) + "の" + lastFailure_.reason;
    if (!lastFailure_)
        lastFailure_ = Failure(CookieFailureKind::kStoreUnusable, "保存先が書き込みを断りました");
    return false;
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
