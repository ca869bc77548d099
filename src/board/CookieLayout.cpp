#include "board/CookieLayout.h"

#include "board/BoardMode.h"
#include "board/CBBSData.h"
#include "settings/NumericText.h"

namespace tessel {
namespace {

constexpr CookieLayout kFernoLayout{9, {"20", "0", "1", "0", "30", ""}};
constexpr CookieLayout kQuillLayout{10, {"30", "0", "1", "0", "50", "0"}};

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
    const auto& defaults = layout->integerDefaults;
    board.ViewCount(ToInteger(defaults[0]));
    board.ViewOrder(ToInteger(defaults[1]));
    board.NoReadView(ToInteger(defaults[2]));
    board.NoReadPoint(ToInteger(defaults[3]));
    board.DownloadCount(ToInteger(defaults[4]));
    if (layout->fieldCount > 9)
        board.NoReadPoint_R(ToInteger(defaults[5]));
    return true;
}

}  // namespace tessel
