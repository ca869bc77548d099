#pragma once

#include <string>
#include <vector>

namespace tessel::testing {

struct ProcessResult {
    int exitCode = -1;  // -1 when the program did not end by itself
    std::string out, err;
};

// Runs the real tessel with args and input as its standard input and waits for it. The streams
// pass through files in dir; standard output goes to outPath instead when it is given.
ProcessResult RunTessel(const std::vector<std::string>& args, const std::string& input,
                        const std::string& dir, const std::string& outPath = "");

}  // namespace tessel::testing
