#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cookies/Clock.h"

namespace tessel::fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A broken property is a finding like a crash: abort so that libFuzzer keeps the input.
inline void Check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

// Splits the input at its first NUL, so that one input can drive two texts; the second is empty
// when there is none.
inline std::pair<std::string_view, std::string_view> SplitAtNul(std::string_view text) {
    const std::size_t nul = text.find('\0');
    if (nul == std::string_view::npos)
        return {text, {}};
    return {text.substr(0, nul), text.substr(nul + 1)};
}

// A file of this process's own, so that parallel fuzzing jobs never share one.
inline std::string ScratchPath(const char* name) {
    const char* base = std::getenv("TMPDIR");
    return std::string(base != nullptr ? base : "/tmp") + "/tessel-fuzz-" +
           std::to_string(getpid()) + "-" + name;
}

class FixedClock : public Clock {
  public:
    SystemTime GetSystemTime() override { return {2026, 6, 1, 12, 0, 0, 0}; }
};

}  // namespace tessel::fuzz
