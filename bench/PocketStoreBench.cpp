#include "LargeIndex.h"
#include "platform/AtomicFile.h"
#include "platform/ManualMainQueue.h"
#include "pockets/FileReference.h"
#include "pockets/FollowedFiles.h"
#include "pockets/MemoryPasteboard.h"
#include "pockets/PocketIndexCodec.h"
#include "pockets/PocketStore.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

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

// A figure of /proc/self/status in kilobytes ("VmRSS", "VmHWM").
double statusKilobytes(std::string_view field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field) && line.size() > field.size() && line[field.size()] == ':')
            return std::stod(line.substr(field.size() + 1));
    }
    return 0;
}

// Starts the peak resident figure (VmHWM) afresh from the current one.
void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace

// 10,000 items added one after the other, each followed by a turn of the main loop: with
// argument 1 as text drops (each writes its own file, as when seeding a pocket), with 0
// appended straight to the list (the index's share alone). Counters: how long after the
// last one everything is on disk, and the peak resident memory above the figure before
// the first.
static void BM_PocketStoreAdd10kOneByOne(benchmark::State& state)
{
    const bool asTextDrops = state.range(0) == 1;
    double onDiskMilliseconds = 0;
    double peakAboveIdleMegabytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto bench = std::make_unique<StoreBench>();
        const Uuid pocket = Uuid::random();
        MemoryPasteboard text;
        resetPeakMemory();
        const double idle = statusKilobytes("VmRSS");
        state.ResumeTiming();
        for (int i = 0; i < 10'000; ++i) {
            const std::string note = "Seeded note " + std::to_string(i);
            if (asTextDrops) {
                text.setString(note);
                if (bench->store->ingest(text, pocket) != 1)
                    state.SkipWithError("ingest failed");
            } else {
                bench->store->items[pocket].push_back(PocketItem::make(note, PocketPayload::makePending("/home/someone/" + note), 0));
                bench->store->save();
            }
            bench->main.runPending();
        }
        const auto lastAdd = std::chrono::steady_clock::now();
        bench->store->waitForWrites();
        onDiskMilliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - lastAdd).count();
        peakAboveIdleMegabytes = (statusKilobytes("VmHWM") - idle) / 1024;
        state.PauseTiming();
        bench.reset();
        state.ResumeTiming();
    }
    state.counters["onDiskAfterLast_ms"] = onDiskMilliseconds;
    state.counters["peakAboveIdle_MB"] = peakAboveIdleMegabytes;
}
BENCHMARK(BM_PocketStoreAdd10kOneByOne)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// What a save costs the main thread: marking the index changed, then the loop turn that
// takes the snapshot and hands it to the index queue.
static void BM_PocketStoreSaveMainThread10k(benchmark::State& state)
{
    StoreBench bench;
    bench.store->items = kestrane::bench::largeIndex();
    for (auto _ : state) {
        bench.store->save();
        bench.main.runPending();
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
    const Uuid pocket = Uuid::random();
    for (auto _ : state) {
        if (bench.store->ingest(drop, pocket) != 1000)
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
    const Uuid pocket = Uuid::random();
    std::vector<PocketItem>& list = bench.store->items[pocket];
    for (int i = 0; i < 1000; ++i) {
        const std::string filename = Uuid::random().string() + ".txt";
        std::ofstream(bench.store->payloadDirectory() / filename) << "note " << i;
        list.push_back(PocketItem::make("note.txt", PocketPayload::makeManaged(filename), 0));
    }
    for (auto _ : state) {
        const ResolvedPocketItems resolved = bench.store->resolve(pocket);
        if (resolved.size() != 1000)
            state.SkipWithError("resolution lost items");
    }
}
BENCHMARK(BM_PocketStoreResolve1000Managed)->Unit(benchmark::kMillisecond);

namespace {
// count real files in the bench's folder, each referred to by an item of one pocket.
std::vector<PocketItem> referencesToNewFiles(const fs::path& folder, int count)
{
    std::vector<PocketItem> list;
    for (int i = 0; i < count; ++i) {
        const fs::path file = folder / ("report " + std::to_string(i) + ".pdf");
        std::ofstream(file) << i;
        list.push_back(PocketItem::make("report.pdf", PocketPayload::makeReference(*FileReference::create(file)), 0));
    }
    return list;
}
} // namespace

// The background work at start that holds the files of 6,000 references (the share of
// references in a 10,000-item index).
static void BM_FollowedFilesHold6000AtStart(benchmark::State& state)
{
    StoreBench bench;
    const PocketMap pockets { { Uuid::random(), referencesToNewFiles(bench.folder, 6000) } };
    for (auto _ : state) {
        FollowedFiles::Changes handles = FollowedFiles::holdAll(pockets);
        if (handles.size() != 6000)
            state.SkipWithError("files not held (descriptor limit?)");
        state.PauseTiming();
        handles.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FollowedFilesHold6000AtStart)->Unit(benchmark::kMillisecond);

// Resolving 1,000 held references whose files all moved to another folder.
static void BM_PocketStoreResolve1000MovedReferences(benchmark::State& state)
{
    StoreBench bench;
    const Uuid pocket = Uuid::random();
    fs::create_directory(bench.folder / "before");
    fs::create_directory(bench.folder / "after");
    const std::vector<PocketItem> list = referencesToNewFiles(bench.folder / "before", 1000);
    for (auto _ : state) {
        state.PauseTiming();
        bench.store->items[pocket] = list;
        bench.store->save();
        bench.store.reset();
        bench.main.runPending();
        bench.store = std::make_unique<PocketStore>(bench.folder / "Kestrane", bench.main);
        bench.main.runPendingWaiting(std::chrono::seconds(10));
        fs::rename(bench.folder / "before", bench.folder / "moving");
        fs::rename(bench.folder / "after", bench.folder / "before");
        fs::rename(bench.folder / "moving", bench.folder / "after");
        state.ResumeTiming();
        if (bench.store->resolve(pocket).size() != 1000) {
            state.SkipWithError("resolution lost items");
            break;
        }
        state.PauseTiming();
        fs::rename(bench.folder / "after", bench.folder / "moving");
        fs::rename(bench.folder / "before", bench.folder / "after");
        fs::rename(bench.folder / "moving", bench.folder / "before");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PocketStoreResolve1000MovedReferences)->Unit(benchmark::kMillisecond);
