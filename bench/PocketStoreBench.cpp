#include "LargeIndex.h"
#include "platform/AtomicFile.h"
#include "platform/ManualMainQueue.h"
#include "pockets/MemoryPasteboard.h"
#include "pockets/PocketIndexCodec.h"
#include "pockets/PocketStore.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace kestrane;
namespace fs = std::filesystem;

namespace {

// A store in a fresh temporary folder, removed afterwards.
struct StoreBench {
    fs::path folder;
    ManualMainQueue main;
    std::unique_ptr<PocketStore> store;

    StoreBench()
    {
        std::string pattern = (fs::temp_directory_path() / "kestrane-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        folder = pattern;
        store = std::make_unique<PocketStore>(folder / "Kestrane", main);
    }
    ~StoreBench()
    {
        store.reset();
        fs::remove_all(folder);
    }
};

} // namespace

// What a save costs the main thread: the snapshot and the hand-off to the index queue.
static void BM_PocketStoreSaveMainThread10k(benchmark::State& state)
{
    StoreBench bench;
    bench.store->items = kestrane::bench::largeIndex();
    for (auto _ : state) {
        bench.store->save();
        state.PauseTiming();
        bench.store->waitForWrites();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PocketStoreSaveMainThread10k)->Unit(benchmark::kMillisecond);

// The index queue's part of the same save.
static void BM_PocketIndexEncodeAndWrite10k(benchmark::State& state)
{
    StoreBench bench;
    const PocketMap index = kestrane::bench::largeIndex();
    for (auto _ : state) {
        const auto text = encodePocketIndex(index);
        if (!text || !writeFileAtomically(bench.store->indexFile(), *text))
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_PocketIndexEncodeAndWrite10k)->Unit(benchmark::kMillisecond);

// A drop of 1,000 files, main thread only; the references are made in the background.
static void BM_PocketStoreIngest1000Files(benchmark::State& state)
{
    StoreBench bench;
    MemoryPasteboard drop;
    for (int i = 0; i < 1000; ++i)
        drop.addFile("/home/someone/Pictures/Holiday 2026/IMG_" + std::to_string(1000 + i) + ".jpg");
    const Uuid zone = Uuid::random();
    for (auto _ : state) {
        if (bench.store->ingest(drop, zone) != 1000)
            state.SkipWithError("ingest failed");
        state.PauseTiming();
        bench.store->waitForWrites();
        bench.store->items.clear();
        state.ResumeTiming();
    }
    bench.store.reset();
    bench.main.runPending();
}
BENCHMARK(BM_PocketStoreIngest1000Files)->Unit(benchmark::kMillisecond);

static void BM_PocketStoreResolve1000Managed(benchmark::State& state)
{
    StoreBench bench;
    const Uuid zone = Uuid::random();
    std::vector<PocketItem>& list = bench.store->items[zone];
    for (int i = 0; i < 1000; ++i) {
        const std::string filename = Uuid::random().string() + ".txt";
        std::ofstream(bench.store->payloadDirectory() / filename) << "note " << i;
        list.push_back(PocketItem::make("note.txt", PocketPayload::makeManaged(filename), 0));
    }
    for (auto _ : state) {
        const ResolvedPocketItems resolved = bench.store->resolve(zone);
        if (resolved.size() != 1000)
            state.SkipWithError("resolution lost items");
    }
}
BENCHMARK(BM_PocketStoreResolve1000Managed)->Unit(benchmark::kMillisecond);
