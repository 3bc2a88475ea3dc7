#pragma once

#include "app/CommandLine.h"

#include <filesystem>
#include <optional>
#include <string>

namespace kestrane {

class DesktopModel;

// Everything a command line may ask for that needs no window: the help, the version, a
// diagnostic for what it does not understand, a request to the pockets. Answers the exit
// status, or none when the program should start.
std::optional<int> runWithoutWindow(const CommandLine& command, int argc, char** argv);

// Carries out "--add" or "--list" from the command line: through the running copy when
// one holds the data folder (its edge swallows what is added), else here, under the
// folder's lock, without a display. Prints what the request printed; answers the exit status.
int runPocketRequest(const PocketRequest& request, const std::filesystem::path& dataFolder, int argc, char** argv);

// In the running copy: the answer to one request line of a later copy.
std::string answerPocketRequest(const std::string& line, DesktopModel& model);

} // namespace kestrane
