#pragma once

#include "app/LaunchSwitches.h"
#include "app/PocketRequest.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kestrane {

// What the command line asks for: run the program (with its switches), print the help or
// the version, hand a request to the pockets, or nothing, because it is not understood.
struct CommandLine {
    enum class Action { run, help, version, request, invalid };

    Action action = Action::run;
    LaunchSwitches switches;
    PocketRequest request;
    // For invalid: the one line that says why.
    std::string error;

    // arguments[0] is the program. Relative paths after "--add" are taken from workingFolder.
    static CommandLine parse(const std::vector<std::string>& arguments, const std::filesystem::path& workingFolder);
};

std::string usageText();
std::string versionText();

} // namespace kestrane
