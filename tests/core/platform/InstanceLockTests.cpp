#include "TemporaryFolder.h"
#include "platform/InstanceLock.h"

#include <gmock/gmock.h>

#include <optional>
#include <span>
#include <unistd.h>

using namespace kestrane;
using namespace kestrane::testing;
namespace fs = std::filesystem;

// The lock lies in the data folder, where a symlinked XDG_DATA_HOME and another
// XDG_RUNTIME_DIR meet the same file.
TEST(InstanceLock, OneHolderPerFolderWhateverItsNameUntilItGoes)
{
    TemporaryFolder folder;
    const fs::path data = folder / "share/Kestrane";
    std::optional<InstanceLock> first(std::in_place, data, folder / "run");
    ASSERT_EQ(first->status(), InstanceLock::Status::taken) << first->reason();
    EXPECT_EQ(fs::status(data).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(data / InstanceLock::fileName).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    fs::create_directory_symlink(folder / "share", folder / "alias");
    InstanceLock second(folder / "alias/Kestrane", std::nullopt);
    EXPECT_EQ(second.status(), InstanceLock::Status::held);
    EXPECT_EQ(second.resolvedFolder(), first->resolvedFolder());
    first.reset();
    second.retry();
    EXPECT_EQ(second.status(), InstanceLock::Status::taken) << "released with its holder";
}

TEST(InstanceLock, FoldersAndLockFilesThatAreNotOwnRealOnesAreRefused)
{
    TemporaryFolder folder;
    fs::create_directory_symlink(folder.path(), folder / "linked");
    writeFile(folder / "file", "");
    for (const char* name : { "linkedLock", "foreignLock" })
        fs::create_directory(folder / name);
    fs::create_symlink(folder / "elsewhere", folder / "linkedLock" / InstanceLock::fileName);
    writeFile(folder / "foreignLock" / InstanceLock::fileName, "");
    // Only root can give a file away; for others that case is skipped.
    const bool foreign = ::chown((folder / "foreignLock" / InstanceLock::fileName).c_str(), ::geteuid() + 1, ::getegid()) == 0;

    const std::pair<std::string, std::string> cases[] = { { "linked", "is a symbolic link" }, { "file", "is not a folder" },
        { "file/Kestrane", "cannot be created" }, { "linkedLock", "is a symbolic link" }, { "foreignLock", "belongs to another user" } };
    for (const auto& [dataFolder, reason] : std::span(cases, foreign ? 5 : 4)) {
        const InstanceLock lock(folder / dataFolder, folder.path());
        EXPECT_EQ(lock.status(), InstanceLock::Status::refused) << dataFolder;
        EXPECT_THAT(lock.reason(), ::testing::HasSubstr(reason)) << dataFolder;
    }
    EXPECT_FALSE(fs::exists(folder / "elsewhere")) << "nothing is created through a link";
}
