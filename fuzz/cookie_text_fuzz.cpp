// The search of a cookie text and the board's reading of its cookie: whatever a store hands back,
// a board that reads it writes it back so that it reads the same again.
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "board/BoardMode.h"
#include "board/CBBSData.h"
#include "cookies/CookieStore.h"
#include "cookies/CookieText.h"

using namespace tessel;

namespace {

constexpr char kUrl[] = "http://bbs.example.jp/b/bbs.cgi";

// Hands back one cookie text and keeps the value last set as the board's cookie.
class TextStore : public CookieStore {
  public:
    std::string text;
    std::optional<std::string> InternetGetCookie(const std::string&, const std::string&) override {
        Succeed();
        return text;
    }
    bool InternetSetCookie(const std::string&, const std::string& name,
                           const std::string& data) override {
        text = name + "=" + data.substr(0, data.find(';'));
        Succeed();
        return true;
    }
};

struct Fields {
    std::string name, mail, home, password;
    std::int32_t counts[6];
    bool operator==(const Fields&) const = default;
};

Fields FieldsOf(const CBBSData& board) {
    return {board.PostName(),
            board.Mail(),
            board.HomePage(),
            board.Password(),
            {board.ViewCount(), board.ViewOrder(), board.NoReadView(), board.NoReadPoint(),
             board.DownloadCount(), board.NoReadPoint_R()}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [text, name] = fuzz::SplitAtNul(fuzz::AsText(data, size));
    if (const auto value = FindCookieValue(text, name)) {
        const std::string entry = std::string(name) + "=" + *value;
        fuzz::Check(text.find(entry) != std::string_view::npos, "the value found is in the text");
    }

    // The first byte picks the board's kind and whether the text starts as the board's cookie.
    const std::uint8_t choice = size > 0 ? data[0] : 0;
    TextStore store;
    store.text = (choice & 2) != 0 ? std::string(kUrl) + "=" + std::string(text.substr(1))
                                   : std::string(text);
    fuzz::FixedClock clock;
    CBBSData board(store, clock);
    board.URL(kUrl);
    board.Mode((choice & 1) != 0 ? kModeQuill : kModeFernoBBS);
    if (!board.GetCookie())
        return 0;
    const Fields read = FieldsOf(board);
    if (!board.SetCookie())
        return 0;  // a text the store may not hold (a control character, too long)
    CBBSData again(store, clock);
    again.URL(kUrl);
    again.Mode(board.Mode());
    fuzz::Check(again.GetCookie(), "a written cookie reads back");
    fuzz::Check(FieldsOf(again) == read, "a written cookie reads back the same");
    return 0;
}
