#pragma once

#include "ChildProcess.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrane::e2e {

struct ReportedPocket {
    std::string id;
    int y = 0;
    int items = 0;
};

// What "--print-pockets" writes: one POCKET line per pocket, then the SCREEN line.
struct PocketReport {
    std::vector<std::string> lines;
    std::vector<ReportedPocket> pockets;
    std::string screen;

    // Reads the program's output up to and including the SCREEN line; none when it did
    // not come in time. Every line read is kept, a malformed one only in `lines`.
    static std::optional<PocketReport> readFrom(ChildProcess& program, milliseconds timeout);
};

} // namespace kestrane::e2e
