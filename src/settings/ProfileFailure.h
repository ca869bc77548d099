#pragma once

#include <cstdint>
#include <string>
#include <system_error>

namespace tessel {

// Why a board list could not be read, written or loaded. Each front end words it from its own
// catalog, naming the details the comment lists.
enum class ProfileProblem {
    kNone,
    // The file itself.
    kNotFound,
    kUnreadable,  // error
    kUnwritable,  // error
    kFolder,
    kNotRegularFile,
    kTooLarge,  // limit (MiB)
    kUtf32,
    kUtf16BigEndian,
    kUtf16WithoutMark,
    kNulInLine,    // number (the line)
    kNotReadBack,  // a section name or line would read back as another
    kUnencodable,  // in the file's own encoding
    // Through the system's profile functions, which name the file.
    kCannotOpen,     // path, cause
    kNamedFolder,    // path
    kCannotRead,     // path, cause
    kCannotWrite,    // path, cause
    kNotUtf8Text,    // (a cause)
    kNotInCodePage,  // character, number (the code page); (a cause)
    // The boards in it.
    kSameSectionNames,  // section, text (the other spelling)
    kNoMode,            // section
    kUnknownMode,       // section, text (the mode given)
};
inline constexpr ProfileProblem kLastProfileProblem = ProfileProblem::kUnknownMode;

struct ProfileFailure {
    ProfileFailure() = default;
    // A failure that names no detail (implicit, so that a problem alone reads as one).
    ProfileFailure(ProfileProblem what) : problem(what) {}  // NOLINT

    ProfileProblem problem = ProfileProblem::kNone;
    std::string path;       // the file
    std::string section;    // a board's section
    std::string text;       // the other spelling of a section, or a mode
    std::string character;  // what the code page cannot carry
    std::string system;     // the system's own words for an error, when it has them
    std::error_code error;  // an error without such words
    std::int64_t number = 0;
    std::int64_t limit = 0;
    ProfileProblem cause = ProfileProblem::kNone;  // what lay under it, when not the system's words

    explicit operator bool() const { return problem != ProfileProblem::kNone; }
};

}  // namespace tessel
