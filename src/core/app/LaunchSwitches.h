#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrane {

class BezelEngine;
class PocketStore;

// The developer switches the program accepts. Each is matched exactly, anywhere on the
// command line; unknown arguments are ignored.
struct LaunchSwitches {
    bool introduction = false;
    bool resetPockets = false;
    // The count after the first "--seed-pocket", when it is a decimal integer.
    std::optional<std::int64_t> seedPocket;
    bool unseedPocket = false;
    bool printPockets = false;
    bool edit = false;
    bool debugPurge = false;
    bool debugFrames = false;
    bool x11 = false;
    bool wayland = false;

    static LaunchSwitches parse(const std::vector<std::string>& arguments);
};

// A decimal integer: an optional "+" or "-", then digits only, within 64 bits.
std::optional<std::int64_t> parseDecimalInteger(const std::string& text);

// Empties every pocket the engine shows.
void resetPockets(BezelEngine& engine, PocketStore& store);
// Puts count generated text items ("Seeded item 1", …) into the first empty pocket (or the
// first pocket when none is empty); a count below 1 seeds one.
void seedPocket(BezelEngine& engine, PocketStore& store, std::int64_t count);
// Removes every item whose name starts with "Seeded item " from every pocket.
void unseedPockets(BezelEngine& engine, PocketStore& store);

// One "POCKET <id> y=<y> items=<n>" line per pocket, then "SCREEN w=<w> h=<h>".
std::string pocketReport(const BezelEngine& engine);

// The launch time as "2026-12-06 23:20:00 +0000".
std::string launchTimestamp();

} // namespace kestrane
