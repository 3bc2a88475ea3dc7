#pragma once

#include "StderrOf.h"
#include "TemporaryFolder.h"
#include "platform/ManualMainQueue.h"
#include "pockets/FileReference.h"
#include "pockets/PocketIndexCodec.h"
#include "pockets/PocketStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <sys/stat.h>

namespace kestrane::testing {

namespace fs = std::filesystem;

// A store in a temporary folder with a main queue the test runs by hand.
class PocketStoreTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    ManualMainQueue main;
    std::unique_ptr<PocketStore> store;
    const Uuid pocket = Uuid::random();

    std::filesystem::path directory() const { return folder / "Kestrane"; }

    void open()
    {
        store.reset();
        // What a store that is gone posted does nothing: clear it, so settle() waits for the new one.
        main.runPending();
        store = std::make_unique<PocketStore>(directory(), main, [] { return 100.0; });
    }

    static int lineCount(const std::string& log) { return static_cast<int>(std::count(log.begin(), log.end(), '\n')); }

    // What is on disk once every queued save has landed.
    PocketMap stored()
    {
        store->waitForWrites();
        auto decoded = decodePocketIndex(readFile(store->indexFile()));
        EXPECT_TRUE(decoded.pockets) << decoded.error;
        return decoded.pockets.value_or(PocketMap {});
    }

    // Every atomic write puts a new file in place, so a changed inode means the index was
    // written; 0 when there is no index file.
    ino_t indexInode()
    {
        store->waitForWrites();
        struct stat info { };
        return ::stat(store->indexFile().c_str(), &info) == 0 ? info.st_ino : 0;
    }

    std::filesystem::path makeFile(const std::string& name, const std::string& contents = "data")
    {
        std::filesystem::create_directories((folder / name).parent_path());
        writeFile(folder / name, contents);
        return folder / name;
    }
    PocketItem managedItem(const std::string& filename)
    {
        writeFile(store->payloadDirectory() / filename, "payload");
        return PocketItem::make(filename, PocketPayload::makeManaged(filename), 1);
    }
    static PocketItem referenceItem(const std::filesystem::path& file)
    {
        return PocketItem::make(file.filename().string(), PocketPayload::makeReference(*FileReference::create(file)), 1);
    }
    static PocketItem pendingItem(const std::filesystem::path& file)
    {
        return PocketItem::make(file.filename().string(), PocketPayload::makePending(file.string()), 1);
    }

    static void backdate(const std::filesystem::path& file, std::chrono::minutes age)
    {
        std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() - age);
    }

    // A missing folder holds no names.
    static std::set<std::string> namesIn(const std::filesystem::path& folder)
    {
        std::set<std::string> names;
        std::error_code missing;
        for (const auto& entry : std::filesystem::directory_iterator(folder, missing))
            names.insert(entry.path().filename().string());
        return names;
    }

    void settle() { main.runUntilIdle(); }
};

} // namespace kestrane::testing
