#include "posix/profile/ProfileFileCheck.h"

#include <algorithm>

namespace tessel {

std::string ProfileFileProblem(std::string_view bytes) {
    const auto startsWith = [&](std::string_view prefix) { return bytes.rfind(prefix, 0) == 0; };
    using namespace std::string_view_literals;
    if (startsWith("\xFF\xFE\0\0"sv) || startsWith("\0\0\xFE\xFF"sv))
        return "UTF-32 のファイルは読めません。UTF-8 か Shift_JIS で保存してください";
    if (startsWith("\xFE\xFF"sv))
        return "UTF-16 (ビッグエンディアン) のファイルは読めません。UTF-8 か Shift_JIS で保存して"
               "ください";
    if (startsWith("\xFF\xFE"sv))
        return {};  // UTF-16LE with its mark, which the profile functions read
    const std::size_t nul = bytes.find('\0');
    if (nul == std::string_view::npos)
        return {};
    // Text in UTF-16 without a mark has a NUL in every other byte.
    const std::size_t nuls = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\0'));
    if (nuls * 4 >= bytes.size())
        return "バイト順マーク (BOM) のない UTF-16 のファイルは読めません。UTF-8 か Shift_JIS で"
               "保存してください";
    const std::size_t line =
        1 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + nul, '\n'));
    return std::to_string(line) + " 行目に NUL 文字があり、その行の残りを読めません";
}

}  // namespace tessel
