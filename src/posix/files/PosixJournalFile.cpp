#include "posix/files/PosixJournalFile.h"

#include <filesystem>
#include <system_error>

#include "posix/files/AtomicFile.h"
#include "posix/files/PrivateDirectory.h"
#include "posix/files/ReadFile.h"

namespace tessel {

std::string UndoJournalPath(const Environment& environment) {
    return XdgProgramPath(environment, "XDG_STATE_HOME", ".local/state", "undo-journal");
}

std::optional<std::string> PosixJournalFile::Read(CookieFailure& error) {
    if (path_.empty()) {
        error = MakeFailure(CookieProblem::kNoJournalPlace, CookieDetails().Name("HOME"));
        return std::nullopt;
    }
    std::string bytes;
    // Ten batches of every board of a large list stay far below this.
    const std::error_code failed = ReadWholeFile(path_, std::int64_t{256} << 20, &bytes, nullptr);
    if (failed == std::errc::no_such_file_or_directory)
        return std::string();
    if (failed) {
        error = MakeFailure(CookieProblem::kFileFailed, CookieDetails().Error(failed));
        return std::nullopt;
    }
    return bytes;
}

bool PosixJournalFile::Replace(const std::string& text, CookieFailure& error) {
    if (path_.empty()) {
        error = MakeFailure(CookieProblem::kNoJournalPlace, CookieDetails().Name("HOME"));
        return false;
    }
    std::error_code failed =
        MakePrivateDirectories(std::filesystem::path(path_).parent_path().string());
    if (!failed)
        failed = WritePrivateFileAtomically(path_, text);
    if (failed)
        error = MakeFailure(CookieProblem::kFileFailed, CookieDetails().Error(failed));
    return !failed;
}

}  // namespace tessel
