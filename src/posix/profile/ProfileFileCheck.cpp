#include "posix/profile/ProfileFileCheck.h"

#include <algorithm>

namespace tessel {

ProfileFailure ProfileFileProblem(std::string_view bytes) {
    const auto startsWith = [&](std::string_view prefix) { return bytes.rfind(prefix, 0) == 0; };
    using namespace std::string_view_literals;
    if (startsWith("\xFF\xFE\0\0"sv) || startsWith("\0\0\xFE\xFF"sv))
        return ProfileFailure(ProfileProblem::kUtf32);
    if (startsWith("\xFE\xFF"sv))
        return ProfileFailure(ProfileProblem::kUtf16BigEndian);
    if (startsWith("\xFF\xFE"sv))
        return {};  // UTF-16LE with its mark, which the profile functions read
    const std::size_t nul = bytes.find('\0');
    if (nul == std::string_view::npos)
        return {};
    // Text in UTF-16 without a mark has a NUL in every other byte.
    const std::size_t nuls = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\0'));
    if (nuls * 4 >= bytes.size())
        return ProfileFailure(ProfileProblem::kUtf16WithoutMark);
    const std::size_t line =
        1 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + nul, '\n'));
    ProfileFailure failure(ProfileProblem::kNulInLine);
    failure.number = static_cast<std::int64_t>(line);
    return failure;
}

}  // namespace tessel
