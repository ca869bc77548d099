#include "posix/XdgOpenShell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "settings/TextCase.h"

extern char** environ;

namespace tessel {

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
    std::vector<char*> argv = {launcher_.data(), file.data(), nullptr};

    pid_t child = 0;
    if (posix_spawnp(&child, launcher_.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    // The launcher usually exits at once; reap it without making the caller wait.
    std::thread([child] {
        int status = 0;
        waitpid(child, &status, 0);
    }).detach();
    return true;
}

}  // namespace tessel
