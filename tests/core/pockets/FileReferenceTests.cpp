#include "PocketStoreFixture.h"

#include <string>
#include <thread>

using namespace kestrane;
using namespace kestrane::testing;

namespace {
using FileReferenceTest = PocketStoreTest;
using Resolution = FileReference::Resolution;

Bytes bookmark(const fs::path& file)
{
    return FileReference::create(file).value();
}
} // namespace

TEST_F(FileReferenceTest, AFileInPlaceIsFreshOneRenamedInItsFolderIsStaleAndFoundOneGoneFromItIsNot)
{
    const fs::path file = makeFile("note.txt");
    fs::create_directory(folder / "sub");

    EXPECT_EQ(FileReference::resolve(bookmark(file)), (Resolution { file, false }));
    EXPECT_EQ(FileReference::resolve(bookmark(folder / "sub" / ".." / "note.txt")), (Resolution { file, false }));
    // A folder named with its trailing "/" is stored without it, so its name stays its last component.
    EXPECT_EQ(FileReference::resolve(bookmark(folder / "sub/")), (Resolution { folder / "sub", false }));

    // A link is the thing dropped: replacing its target leaves the link itself unchanged.
    fs::create_symlink(file, folder / "link");
    const Bytes link = bookmark(folder / "link");
    fs::rename(makeFile("replacement.txt"), file);
    EXPECT_EQ(FileReference::resolve(link), (Resolution { folder / "link", false }));

    const Bytes b = bookmark(makeFile("b.txt"));
    fs::rename(folder / "b.txt", folder / "renamed.txt");
    EXPECT_EQ(FileReference::resolve(b), (Resolution { folder / "renamed.txt", true }));

    // A file gone from its folder, here moved elsewhere, does not resolve.
    const Bytes moved = bookmark(makeFile("moved.txt"));
    fs::create_directory(folder / "elsewhere");
    fs::rename(folder / "moved.txt", folder / "elsewhere" / "moved.txt");
    EXPECT_EQ(FileReference::resolve(moved), std::nullopt);
    // So does one deleted from a folder it leaves empty on the same volume.
    const Bytes alone = bookmark(makeFile("alone/only.txt"));
    fs::remove(folder / "alone/only.txt");
    EXPECT_EQ(FileReference::resolve(alone), std::nullopt);
    EXPECT_EQ(FileReference::create(folder / "never-there.txt"), std::nullopt);
    EXPECT_EQ(FileReference::create(""), std::nullopt);
}

TEST_F(FileReferenceTest, ANewFileGivenADeletedFilesInodeIsNotMistakenForIt)
{
    const Bytes deleted = bookmark(makeFile("deleted.txt"));
    const auto original = FileReference::decode(deleted);
    if (original->birth == 0)
        GTEST_SKIP() << "this file system keeps no birth times";
    fs::remove(folder / "deleted.txt");
    // Birth times come from the kernel's coarse clock, so only a file made a tick later
    // can be told apart.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // File systems hand a freed inode to the next file made; try until one takes it.
    for (int i = 0; i < 50; ++i) {
        const fs::path file = makeFile("new " + std::to_string(i) + ".txt");
        if (FileReference::decode(bookmark(file))->inode == original->inode) {
            EXPECT_EQ(FileReference::resolve(deleted), std::nullopt);
            return;
        }
    }
    GTEST_SKIP() << "no new file reused the inode";
}

TEST(FileReference, EncodingKeepsEveryFieldAndRejectsAnyDamage)
{
    const FileReference reference { "/home/user/a file.txt", 0xFEDCBA9876543210u, 0xFFFFFFFFFFFFFFFFu, 0x0102030405060708u };
    const Bytes good = reference.encode();
    ASSERT_EQ(FileReference::decode(good), reference);

    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_EQ(FileReference::decode(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size))), std::nullopt) << size;
    Bytes longer = good;
    longer.push_back('x');
    EXPECT_EQ(FileReference::decode(longer), std::nullopt);
    // The magic, the version and the top byte of the path's length.
    for (std::size_t at : { 0u, 3u, 4u, 32u }) {
        Bytes damaged = good;
        damaged[at] ^= 0x80;
        EXPECT_EQ(FileReference::decode(damaged), std::nullopt) << at;
    }

    EXPECT_EQ(FileReference::decode(FileReference { "relative/path", 1, 2 }.encode()), std::nullopt);
    EXPECT_EQ(FileReference::decode(FileReference { std::string("/a\0b", 4), 1, 2 }.encode()), std::nullopt);

    // The first stored form, without a birth time, still reads.
    Bytes first = good;
    first.erase(first.begin() + 21, first.begin() + 29);
    first[4] = 1;
    EXPECT_EQ(FileReference::decode(first), (FileReference { reference.path, reference.device, reference.inode, 0 }));
}
