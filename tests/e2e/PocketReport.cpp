#include "PocketReport.h"

#include <cstdio>

namespace kestrane::e2e {

namespace {
std::optional<ReportedPocket> parsePocket(const std::string& line)
{
    char id[37] = {};
    ReportedPocket pocket;
    int consumed = 0;
    const int fields = std::sscanf(line.c_str(), "POCKET %36s y=%d items=%d%n", id, &pocket.y, &pocket.items, &consumed);
    if (fields != 3 || static_cast<std::size_t>(consumed) != line.size())
        return std::nullopt;
    pocket.id = id;
    return pocket;
}
} // namespace

std::optional<PocketReport> PocketReport::readFrom(ChildProcess& program, milliseconds timeout)
{
    const Deadline deadline(timeout);
    PocketReport report;
    while (true) {
        const auto line = program.readLine(deadline.remaining());
        if (!line)
            return std::nullopt;
        report.lines.push_back(*line);
        if (line->starts_with("SCREEN ")) {
            report.screen = *line;
            return report;
        }
        if (const auto pocket = parsePocket(*line))
            report.pockets.push_back(*pocket);
    }
}

} // namespace kestrane::e2e
