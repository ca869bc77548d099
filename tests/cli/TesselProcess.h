#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tessel::testing {

struct ProcessResult {
    int exitCode = -1;  // -1 when the program did not end by itself
    std::string out, err;
};

// A program of the build, such as "tessel" or "TesselCustom": the suites are built beside them.
std::string BuiltProgram(const std::string& name);

// Runs the real tessel with args and input as its standard input and waits for it, in an English
// locale. The streams pass through files in dir; standard output goes to outPath instead when it
// is given.
ProcessResult RunTessel(const std::vector<std::string>& args, const std::string& input,
                        const std::string& dir, const std::string& outPath = "");

// Runs program the same way, in this process's environment changed by changes: a bare "NAME"
// removes a variable, "NAME=value" sets one (removals first: env reads them as options).
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const std::string& dir,
                         const std::vector<std::string>& changes, const std::string& outPath = "");

// Starts words[0] (a path, or a name looked up on PATH) with standard input read from in and its
// output added to the ends of out and err, and returns its process; -1 when it cannot start.
pid_t StartProcess(const std::vector<std::string>& words, const std::string& in,
                   const std::string& out, const std::string& err);

}  // namespace tessel::testing
