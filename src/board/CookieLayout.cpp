#include "board/CookieLayout.h"

#include "board/BoardMode.h"
#include "board/CBBSData.h"

namespace tessel {
namespace {

constexpr CookieLayout kFernoLayout{9, {"20", "0", "1", "0", "30", ""}};
constexpr CookieLayout kQuillLayout{10, {"30", "0", "1", "0", "50", "0"}};

// The defaults as numbers, read when compiled: a batch gives every fresh board its kind's
// defaults. Plain digits only, so that this reading is the one ToInteger gives.
using DefaultNumbers = std::array<std::int16_t, 6>;

constexpr bool AllPlainDigits(const CookieLayout& layout) {
    for (std::size_t i = 0; i + kFirstIntegerField < layout.fieldCount; ++i) {
        const std::string_view text = layout.integerDefaults[i];
        if (text.empty() || text.size() > 4)
            return false;
        for (char c : text) {
            if (c < '0' || c > '9')
                return false;
        }
    }
    return true;
}

constexpr DefaultNumbers NumbersOf(const CookieLayout& layout) {
    DefaultNumbers numbers{};
    for (std::size_t i = 0; i + kFirstIntegerField < layout.fieldCount; ++i) {
        for (char c : layout.integerDefaults[i])
            numbers[i] = static_cast<std::int16_t>(numbers[i] * 10 + (c - '0'));
    }
    return numbers;
}

static_assert(AllPlainDigits(kFernoLayout) && AllPlainDigits(kQuillLayout));
constexpr DefaultNumbers kFernoNumbers = NumbersOf(kFernoLayout);
constexpr DefaultNumbers kQuillNumbers = NumbersOf(kQuillLayout);

}  // namespace

const CookieLayout* LayoutOf(std::int32_t mode) {
    if (mode == kModeFernoBBS)
        return &kFernoLayout;
    if (mode == kModeQuill)
        return &kQuillLayout;
    return nullptr;
}

bool ApplyLayoutDefaults(CBBSData& board) {
    const CookieLayout* layout = LayoutOf(board.Mode());
    if (layout == nullptr)
        return false;
    const DefaultNumbers& defaults = layout == &kQuillLayout ? kQuillNumbers : kFernoNumbers;
    board.ViewCount(defaults[0]);
    board.ViewOrder(defaults[1]);
    board.NoReadView(defaults[2]);
    board.NoReadPoint(defaults[3]);
    board.DownloadCount(defaults[4]);
    if (layout->fieldCount > 9)
        board.NoReadPoint_R(defaults[5]);
    return true;
}

}  // namespace tessel
