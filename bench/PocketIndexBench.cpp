#include "pockets/PocketIndexCodec.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <string>

using namespace kestrane;

namespace {

constexpr int pocketCount = 7;
constexpr int itemCount = 10'000;
constexpr std::size_t bookmarkSize = 300;

Bytes randomBookmark(std::mt19937& random)
{
    Bytes bytes(bookmarkSize);
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    return bytes;
}

// Six in ten items are references, two managed files, two still pending: roughly what a
// pocket collects from dropped files, clipped images and text.
PocketPayload payloadFor(int index, std::mt19937& random)
{
    switch (index % 10) {
    case 0: case 1: case 2: case 3: case 4: case 5:
        return PocketPayload::makeReference(randomBookmark(random));
    case 6: case 7:
        return PocketPayload::makeManaged(Uuid::random().string() + ".png");
    default:
        return PocketPayload::makePending("/home/alex/Documents/Projects/Kestrel/report draft " + std::to_string(index) + ".pdf");
    }
}

PocketMap largeIndex()
{
    std::mt19937 random(7);
    std::vector<Uuid> pockets;
    for (int i = 0; i < pocketCount; ++i)
        pockets.push_back(Uuid::random());
    PocketMap map;
    for (int i = 0; i < itemCount; ++i) {
        const std::string name = "Quarterly report " + std::to_string(i) + " (final).pdf";
        map[pockets[i % pocketCount]].push_back(PocketItem::make(name, payloadFor(i, random), 7.0e8 + i * 0.25));
    }
    return map;
}

} // namespace

static void BM_PocketIndexEncode10k(benchmark::State& state)
{
    const PocketMap index = largeIndex();
    for (auto _ : state) {
        auto text = encodePocketIndex(index);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_PocketIndexEncode10k)->Unit(benchmark::kMillisecond);

static void BM_PocketIndexDecode10k(benchmark::State& state)
{
    const std::string text = encodePocketIndex(largeIndex()).value_or("");
    state.counters["bytes"] = static_cast<double>(text.size());
    for (auto _ : state) {
        auto result = decodePocketIndex(text);
        if (!result.pockets)
            std::abort();
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_PocketIndexDecode10k)->Unit(benchmark::kMillisecond);
