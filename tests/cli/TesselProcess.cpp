#include "TesselProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support/TempDir.h"

extern char** environ;

namespace tessel::testing {

std::string BuiltProgram(const std::string& name) {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

ProcessResult RunTessel(const std::vector<std::string>& args, const std::string& input,
                        const std::string& dir, const std::string& outPath) {
    // tessel's own text follows the locale: the cases expect its English.
    return RunProgram(BuiltProgram("tessel"), args, input, dir,
                      {"LC_ALL", "LC_MESSAGES", "LANGUAGE", "LANG=C.UTF-8",
                       // the undo journal of each test its own
                       "XDG_STATE_HOME=" + dir + "/state"},
                      outPath);
}

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const std::string& dir,
                         const std::vector<std::string>& changes, const std::string& outPath) {
    const std::string in = dir + "/.stdin", err = dir + "/.stderr";
    const std::string out = outPath.empty() ? dir + "/.stdout" : outPath;
    std::ofstream(in, std::ios::binary) << input;
    std::ofstream(out, std::ios::binary);
    std::ofstream(err, std::ios::binary);

    std::vector<std::string> words{"env"};
    for (const std::string& change : changes) {
        if (change.find('=') == std::string::npos)
            words.push_back("-u");
        words.push_back(change);
    }
    words.push_back(program);
    words.insert(words.end(), args.begin(), args.end());
    const pid_t child = StartProcess(words, in, out, err);
    if (child < 0)
        throw std::runtime_error("cannot start " + program);
    ProcessResult result;
    int status = 0;
    if (waitpid(child, &status, 0) == child && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    result.out = outPath.empty() ? ReadBytes(out) : std::string();
    result.err = ReadBytes(err);
    return result;
}

pid_t StartProcess(const std::vector<std::string>& words, const std::string& in,
                   const std::string& out, const std::string& err) {
    // Files rather than pipes carry the streams: nothing can block however much is written.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    std::vector<std::string> copy = words;
    std::vector<char*> argv;
    for (std::string& word : copy)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? child : -1;
}

}  // namespace tessel::testing
