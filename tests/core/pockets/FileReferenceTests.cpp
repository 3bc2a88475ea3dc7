#include "pockets/FileReference.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

using kestrane::Bytes;
using kestrane::FileReference;
namespace fs = std::filesystem;

namespace {

class FileReferenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "kestrane-fileref-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path write(const std::string& name, const std::string& contents = "contents")
    {
        std::ofstream(folder / name) << contents;
        return folder / name;
    }

    Bytes bookmark(const fs::path& file)
    {
        auto bytes = FileReference::create(file);
        EXPECT_TRUE(bytes.has_value()) << file;
        return bytes.value_or(Bytes {});
    }

    fs::path folder;
};

using Resolution = FileReference::Resolution;

} // namespace

TEST_F(FileReferenceTest, AFileThatStayedPutResolvesFreshUnderItsNormalPath)
{
    const fs::path file = write("note.txt");
    fs::create_directory(folder / "sub");

    EXPECT_EQ(FileReference::resolve(bookmark(file)), (Resolution { file, false }));
    EXPECT_EQ(FileReference::resolve(bookmark(folder / "sub" / ".." / "note.txt")), (Resolution { file, false }));
    // A folder named with its trailing "/" is stored without it, so its name stays its last component.
    EXPECT_EQ(FileReference::resolve(bookmark(folder / "sub/")), (Resolution { folder / "sub", false }));

    // A link is the thing dropped: replacing its target leaves the link itself unchanged.
    fs::create_symlink(file, folder / "link");
    const Bytes link = bookmark(folder / "link");
    fs::rename(write("replacement.txt"), file);
    EXPECT_EQ(FileReference::resolve(link), (Resolution { folder / "link", false }));
}

TEST_F(FileReferenceTest, AFileReplacedAtItsPathIsStaleAndRenewsToTheReplacement)
{
    const fs::path file = write("draft.txt", "old");
    const Bytes old = bookmark(file);
    // How editors save: write a new file beside it and rename it over the old one.
    fs::rename(write(".draft.txt.tmp", "new"), file);

    EXPECT_EQ(FileReference::resolve(old), (Resolution { file, true }));
    EXPECT_EQ(FileReference::resolve(bookmark(file)), (Resolution { file, false }));
}

TEST_F(FileReferenceTest, AFileRenamedWithinItsFolderIsStaleAndFoundUnderItsNewName)
{
    write("a.txt");
    const fs::path file = write("b.txt");
    write("c.txt");
    const Bytes old = bookmark(file);
    fs::rename(file, folder / "renamed.txt");

    EXPECT_EQ(FileReference::resolve(old), (Resolution { folder / "renamed.txt", true }));
    EXPECT_EQ(FileReference::resolve(bookmark(folder / "renamed.txt")), (Resolution { folder / "renamed.txt", false }));
}

TEST_F(FileReferenceTest, TheFileAtThePathWinsOverTheOriginalRenamedAside)
{
    const fs::path file = write("report.txt", "first");
    const Bytes old = bookmark(file);
    fs::rename(file, folder / "report.txt~");
    write("report.txt", "second");

    EXPECT_EQ(FileReference::resolve(old), (Resolution { file, true }));
}

TEST_F(FileReferenceTest, AFileGoneFromItsFolderDoesNotResolve)
{
    const Bytes deleted = bookmark(write("deleted.txt"));
    fs::remove(folder / "deleted.txt");
    const Bytes moved = bookmark(write("moved.txt"));
    fs::create_directory(folder / "elsewhere");
    fs::rename(folder / "moved.txt", folder / "elsewhere" / "moved.txt");

    EXPECT_EQ(FileReference::resolve(deleted), std::nullopt);
    EXPECT_EQ(FileReference::resolve(moved), std::nullopt);
    EXPECT_EQ(FileReference::create(folder / "never-there.txt"), std::nullopt);
    EXPECT_EQ(FileReference::create(""), std::nullopt);
}

TEST(FileReference, EncodingKeepsEveryFieldAndRejectsAnyDamage)
{
    const FileReference reference { "/home/user/a file.txt", 0xFEDCBA9876543210u, 0xFFFFFFFFFFFFFFFFu };
    const Bytes good = reference.encode();
    ASSERT_EQ(FileReference::decode(good), reference);

    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_EQ(FileReference::decode(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size))), std::nullopt) << size;
    Bytes longer = good;
    longer.push_back('x');
    EXPECT_EQ(FileReference::decode(longer), std::nullopt);
    for (std::size_t at : { 0u, 3u, 4u }) {
        Bytes damaged = good;
        ++damaged[at];
        EXPECT_EQ(FileReference::decode(damaged), std::nullopt) << at;
    }
    Bytes hugeLength = good;
    hugeLength[24] = 0xFF;
    EXPECT_EQ(FileReference::decode(hugeLength), std::nullopt);

    EXPECT_EQ(FileReference::decode(FileReference { "relative/path", 1, 2 }.encode()), std::nullopt);
    EXPECT_EQ(FileReference::decode(FileReference { std::string("/a\0b", 4), 1, 2 }.encode()), std::nullopt);
    EXPECT_EQ(FileReference::resolve(Bytes { 'g', 'a', 'r', 'b', 'a', 'g', 'e' }), std::nullopt);
    EXPECT_EQ(FileReference::resolve(Bytes {}), std::nullopt);
}
