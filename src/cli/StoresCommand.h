#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace tessel::cli {

// One cookie store found on the computer, as the platform describes it.
struct StoreListing {
    std::string store;       // the --cookie-store text that names it
    std::string kind;        // "jar", "firefox", "chromium"
    std::string name;        // the profile's name; empty for the jar
    std::string path;        // the jar or the database
    bool isDefault = false;  // the browser's default profile
    bool inUse = false;      // the store the options name
    bool writable = false;
    std::string reason;  // why not writable
};

// Prints the stores as a table or, with --json, as an array; returns tessel's exit status.
int RunStores(const Invocation& invocation, const std::vector<StoreListing>& stores,
              std::ostream& out);

}  // namespace tessel::cli
