#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>

namespace tessel::testing {

// Runs body in a forked child after setup, so that limits and lost privileges stay there. Returns
// body's result, or nothing when setup failed or the child did not end normally.
inline std::optional<bool> RunInChild(const std::function<bool()>& setup,
                                      const std::function<bool()>& body) {
    const pid_t child = fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0)
        _exit(!setup() ? 2 : body() ? 0 : 1);
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
        return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

// Permission tests mean nothing to root, who may write anywhere; the child gives up every
// capability so that file modes apply to it as to anyone.
inline std::optional<bool> RunWithoutPrivileges(const std::function<bool()>& body) {
    return RunInChild(
        [] {
            if (geteuid() != 0)
                return true;
            __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
            __user_cap_data_struct data[2] = {};
            return syscall(SYS_capset, &header, data) == 0;
        },
        body);
}

}  // namespace tessel::testing
