#include "TesselProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <stdexcept>

#include "support/TempDir.h"

extern char** environ;

namespace tessel::testing {
namespace {

// Files rather than pipes carry the streams: nothing can block however much the program writes.
void Redirect(posix_spawn_file_actions_t& actions, int fd, const std::string& path, int flags) {
    if (posix_spawn_file_actions_addopen(&actions, fd, path.c_str(), flags, 0600) != 0)
        throw std::runtime_error("cannot redirect to " + path);
}

int Wait(pid_t child) {
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::vector<std::string> ChangedEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> variables;
    const auto name = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        bool changed = false;
        for (const std::string& change : changes)
            changed = changed || name(change) == name(variable);
        if (!changed)
            variables.push_back(variable);
    }
    for (const std::string& change : changes) {
        if (change.find('=') != std::string::npos)
            variables.push_back(change);
    }
    return variables;
}

}  // namespace

ProcessResult RunTessel(const std::vector<std::string>& args, const std::string& input,
                        const std::string& dir, const std::string& outPath) {
    // tessel's own text follows the locale: the cases expect its English.
    return RunProgram(TESSEL_EXECUTABLE, args, input, dir,
                      {"LC_ALL", "LC_MESSAGES", "LANGUAGE", "LANG=C.UTF-8"}, outPath);
}

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const std::string& dir,
                         const std::vector<std::string>& changes, const std::string& outPath) {
    const std::string in = dir + "/.stdin", err = dir + "/.stderr";
    const std::string out = outPath.empty() ? dir + "/.stdout" : outPath;
    std::ofstream(in, std::ios::binary) << input;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    Redirect(actions, 0, in, O_RDONLY);
    Redirect(actions, 1, out, O_WRONLY | O_CREAT | O_TRUNC);
    Redirect(actions, 2, err, O_WRONLY | O_CREAT | O_TRUNC);

    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables = ChangedEnvironment(changes);
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + program);
    ProcessResult result;
    result.exitCode = Wait(child);
    result.out = outPath.empty() ? ReadBytes(out) : std::string();
    result.err = ReadBytes(err);
    return result;
}

}  // namespace tessel::testing
