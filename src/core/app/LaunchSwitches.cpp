#include "app/LaunchSwitches.h"

#include "engine/BezelEngine.h"
#include "platform/UtcTime.h"
#include "pockets/MemoryPasteboard.h"
#include "pockets/PocketStore.h"

#include <algorithm>
#include <charconv>

namespace kestrane {

namespace {
constexpr std::string_view seededPrefix = "Seeded item ";

bool has(const std::vector<std::string>& arguments, std::string_view name)
{
    return std::find(arguments.begin(), arguments.end(), name) != arguments.end();
}
} // namespace

std::optional<std::int64_t> parseDecimalInteger(const std::string& text)
{
    std::string_view digits = text;
    const bool negative = digits.starts_with('-');
    if (negative || digits.starts_with('+'))
        digits.remove_prefix(1);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    // Parsed with its sign so that the most negative value still fits.
    const std::string_view signedDigits = negative ? std::string_view(text) : digits;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(signedDigits.data(), signedDigits.data() + signedDigits.size(), value);
    if (error != std::errc() || end != signedDigits.data() + signedDigits.size())
        return std::nullopt;
    return value;
}

LaunchSwitches LaunchSwitches::parse(const std::vector<std::string>& arguments)
{
    LaunchSwitches switches;
    switches.introduction = has(arguments, "--onboarding");
    switches.resetPockets = has(arguments, "--reset-pockets");
    switches.unseedPocket = has(arguments, "--unseed-pocket");
    switches.printPockets = has(arguments, "--print-pockets");
    switches.edit = has(arguments, "--edit");
    switches.debugPurge = has(arguments, "--debug-purge");
    switches.debugFrames = has(arguments, "--debug-frames");
    switches.x11 = has(arguments, "--x11");
    switches.wayland = has(arguments, "--wayland");
    auto seed = std::find(arguments.begin(), arguments.end(), "--seed-pocket");
    if (seed != arguments.end() && std::next(seed) != arguments.end())
        switches.seedPocket = parseDecimalInteger(*std::next(seed));
    return switches;
}

void resetPockets(BezelEngine& engine, PocketStore& store)
{
    for (const BlobRuntime& pocket : engine.state().blobs)
        store.removeAll(pocket.config.id);
    engine.refreshCounts();
}

void seedPocket(BezelEngine& engine, PocketStore& store, std::int64_t count)
{
    if (engine.state().blobs.empty())
        return;
    auto target =
        std::find_if(engine.state().blobs.begin(), engine.state().blobs.end(), [](const BlobRuntime& b) { return b.itemCount == 0; });
    const Uuid pocket = (target == engine.state().blobs.end() ? engine.state().blobs.front() : *target).config.id;
    MemoryPasteboard seed;
    for (std::int64_t i = 1; i <= std::max<std::int64_t>(count, 1); ++i) {
        seed.clear();
        seed.setString(std::string(seededPrefix) + std::to_string(i));
        store.ingest(seed, pocket);
    }
    engine.refreshCounts();
}

void unseedPockets(BezelEngine& engine, PocketStore& store)
{
    for (const BlobRuntime& pocket : engine.state().blobs) {
        auto entry = store.items.find(pocket.config.id);
        if (entry == store.items.end())
            continue;
        const std::vector<PocketItem> snapshot = entry->second;
        for (const PocketItem& item : snapshot) {
            if (item.name.starts_with(seededPrefix))
                store.remove(item.id, pocket.config.id);
        }
    }
    engine.refreshCounts();
}

std::string pocketReport(const BezelEngine& engine)
{
    std::string report;
    for (const BlobRuntime& pocket : engine.state().blobs) {
        report += "POCKET " + pocket.config.id.string() + " y=" + std::to_string(static_cast<std::int64_t>(pocket.y.value))
            + " items=" + std::to_string(pocket.itemCount) + "\n";
    }
    report += "SCREEN w=" + std::to_string(static_cast<std::int64_t>(engine.state().size.width))
        + " h=" + std::to_string(static_cast<std::int64_t>(engine.state().size.height)) + "\n";
    return report;
}

std::string launchTimestamp()
{
    return formatUtcNow("%Y-%m-%d %H:%M:%S +0000");
}

} // namespace kestrane
