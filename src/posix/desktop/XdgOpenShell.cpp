#include "posix/desktop/XdgOpenShell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "text/TextCase.h"

extern char** environ;

namespace tessel {

namespace {

// Starts command with file appended; false when it cannot be started at all.
bool Launch(std::vector<std::string> command, const std::string& file) {
    command.push_back(file);
    std::vector<char*> argv;
    for (std::string& word : command)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    // The launcher usually exits at once; reap it without making the caller wait.
    std::thread([child] {
        int status = 0;
        waitpid(child, &status, 0);
    }).detach();
    return true;
}

}  // namespace

bool XdgOpenShell::Execute(const ExecuteInfo& request) {
    if (!EqualsIgnoreCase(request.lpVerb, "open"))
        return false;
    if (request.lpParameters && !request.lpParameters->empty())
        return false;
    if (request.lpFile.empty() || access(request.lpFile.c_str(), R_OK) != 0)
        return false;

    // A file name beginning with "-" must not be taken for one of the launcher's options.
    std::string file = request.lpFile;
    if (file.front() == '-')
        file = "./" + file;
    for (const std::vector<std::string>& launcher : launchers_) {
        if (!launcher.empty() && Launch(launcher, file))
            return true;
    }
    return lastResort_ && lastResort_(file);
}

}  // namespace tessel
