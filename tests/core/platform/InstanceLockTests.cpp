#include "TemporaryFolder.h"
#include "platform/InstanceLock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace kestrane;
using kestrane::testing::TemporaryFolder;
using kestrane::testing::writeFile;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

TEST(InstanceLock, OneHolderPerFolderUntilItGoes)
{
    TemporaryFolder folder;
    const fs::path data = folder / "share/Kestrane";
    {
        InstanceLock first(data);
        ASSERT_EQ(first.status(), InstanceLock::Status::taken) << first.reason();
        EXPECT_EQ(fs::status(data).permissions(), fs::perms::owner_all);
        EXPECT_EQ(fs::status(data / InstanceLock::fileName).permissions(), fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(InstanceLock(data).status(), InstanceLock::Status::held);
        EXPECT_EQ(InstanceLock(folder / "share/../share/Kestrane").status(), InstanceLock::Status::held) << "the same folder by another name";
        EXPECT_EQ(InstanceLock(folder / "other").status(), InstanceLock::Status::taken);
    }
    EXPECT_EQ(InstanceLock(data).status(), InstanceLock::Status::taken) << "released with its holder";
}

TEST(InstanceLock, FoldersAndFilesThatAreNotOwnRealOnesAreRefused)
{
    TemporaryFolder folder;
    fs::create_directory(folder / "real");
    fs::create_directory_symlink(folder / "real", folder / "linked");
    writeFile(folder / "file", "");
    fs::create_directory(folder / "linkedLock");
    fs::create_symlink(folder / "elsewhere", folder / "linkedLock" / InstanceLock::fileName);
    fs::create_directory(folder / "foreignLock");
    writeFile(folder / "foreignLock" / InstanceLock::fileName, "");
    // Only root can give a file away; others skip that case.
    const bool foreign = ::chown((folder / "foreignLock" / InstanceLock::fileName).c_str(), ::geteuid() + 1, ::getegid()) == 0;
    fs::create_directory(folder / "folderLock");
    fs::create_directory(folder / "folderLock" / InstanceLock::fileName);

    const struct {
        const char* dataFolder;
        const char* reason;
    } cases[] = {
        { "linked", "is a symbolic link" },
        { "file", "is not a folder" },
        { "file/Kestrane", "cannot be created" },
        { "linkedLock", "is a symbolic link" },
        { "foreignLock", "belongs to another user" },
        { "folderLock", "cannot be opened" },
    };
    for (const auto& c : cases) {
        if (!foreign && std::string(c.dataFolder) == "foreignLock")
            continue;
        const InstanceLock lock(folder / c.dataFolder);
        EXPECT_EQ(lock.status(), InstanceLock::Status::refused) << c.dataFolder;
        EXPECT_THAT(lock.reason(), HasSubstr(c.reason)) << c.dataFolder;
    }
    EXPECT_FALSE(fs::exists(folder / "elsewhere")) << "nothing is created through a link";
}
