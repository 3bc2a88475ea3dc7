#include "PocketStoreFixture.h"
#include "pockets/MemoryPasteboard.h"
#include "pockets/Webloc.h"

#include <gmock/gmock.h>

using namespace kestrane;
using kestrane::testing::PocketStoreTest;
using kestrane::testing::readFile;
namespace fs = std::filesystem;

namespace {
const Bytes somePng { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };

class Ingest : public PocketStoreTest {
protected:
    MemoryPasteboard drop;

    void SetUp() override { open(); }

    const PocketItem& last() { return store->items.at(zone).back(); }
    std::string payloadOf(const PocketItem& item) { return readFile(store->payloadDirectory() / *item.payload.managedFilename()); }
};
} // namespace

TEST_F(Ingest, FilesArePendingInDropOrderThenBecomeReferences)
{
    const fs::path files[] = { makeFile("b.pdf"), makeFile("a.pdf"), makeFile("c d.pdf") };
    fs::create_directories(folder / "Folder");
    for (const fs::path& file : files)
        drop.addFile(file);
    drop.addFile(folder / "Folder");
    drop.addUrl("https://example.com/ignored");
    drop.setString("ignored too");
    store->items[zone] = { managedItem("earlier.txt") };

    EXPECT_EQ(store->ingest(drop, zone), 4);
    const std::vector<PocketItem> added(store->items.at(zone).begin() + 1, store->items.at(zone).end());
    ASSERT_EQ(added.size(), 4u);
    const char* expectedNames[] = { "b.pdf", "a.pdf", "c d.pdf", "Folder" };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(added[i].name, expectedNames[i]);
        EXPECT_EQ(added[i].payload, PocketPayload::makePending(i < 3 ? files[i].string() : (folder / "Folder").string()));
        EXPECT_EQ(added[i].addedAt, 100);
    }
    EXPECT_EQ(stored().at(zone).size(), 5u);

    settle();
    const std::vector<PocketItem>& list = store->items.at(zone);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(list[i + 1].id, added[i].id);
        EXPECT_TRUE(list[i + 1].payload.bookmark());
    }
    EXPECT_EQ(stored().at(zone), list);
}

TEST_F(Ingest, AFileGoneBeforeItsReferenceIsMadeStaysPendingUntilResolved)
{
    const fs::path file = makeFile("fleeting.pdf");
    drop.addFile(file);
    fs::remove(file);
    EXPECT_EQ(store->ingest(drop, zone), 1);
    settle();
    EXPECT_TRUE(last().payload.pendingPath());
    EXPECT_TRUE(store->resolve(zone).empty());
    EXPECT_EQ(store->itemCount(zone), 0);
}

TEST_F(Ingest, ALinkIsStoredAsALinkFileNamedAfterItsHost)
{
    drop.addUrl("https://example.org/a?b=1&c=<2>");
    drop.setImage({ somePng });
    EXPECT_EQ(store->ingest(drop, zone), 1);
    ASSERT_EQ(store->itemCount(zone), 1);
    EXPECT_EQ(last().name, "example.org.webloc");
    EXPECT_EQ(payloadOf(last()), weblocDocument("https://example.org/a?b=1&c=<2>"));
    EXPECT_THAT(payloadOf(last()), ::testing::HasSubstr("<string>https://example.org/a?b=1&amp;c=&lt;2&gt;</string>"));
    EXPECT_THAT(*last().payload.managedFilename(), ::testing::MatchesRegex("[0-9A-F-]{36}\\.webloc"));

    drop.clear();
    drop.addUrl("mailto:someone@example.org");
    EXPECT_EQ(store->ingest(drop, zone), 1);
    EXPECT_EQ(last().name, "Link.webloc");
}

TEST_F(Ingest, AFileUrlThatNamesNoLocalFileFallsThroughToTheImage)
{
    drop.addUrl("file://elsewhere/share/doc.pdf");
    drop.setImage({ somePng });
    drop.setString("text");
    EXPECT_EQ(store->ingest(drop, zone), 1);
    EXPECT_EQ(last().name, "Image.png");
}

TEST_F(Ingest, ImagesAreAllNamedImageButKeepTheirOwnFiles)
{
    drop.setImage({ somePng });
    drop.setString("a caption");
    EXPECT_EQ(store->ingest(drop, zone), 1);
    EXPECT_EQ(store->ingest(drop, zone), 1);
    const std::vector<PocketItem>& list = store->items.at(zone);
    EXPECT_EQ(list[0].name, "Image.png");
    EXPECT_EQ(list[1].name, "Image.png");
    EXPECT_NE(*list[0].payload.managedFilename(), *list[1].payload.managedFilename());
    EXPECT_EQ(payloadOf(list[1]), std::string(somePng.begin(), somePng.end()));

    // An image that could not be converted stores nothing, not even its text.
    drop.setImage({ std::nullopt });
    EXPECT_EQ(store->ingest(drop, zone), 0);
    EXPECT_EQ(store->itemCount(zone), 2);
}

TEST_F(Ingest, TextIsStoredUnderItsHeadline)
{
    const std::pair<std::string, std::string> cases[] = {
        { "  two words \nsecond line", "two words.txt" },
        { "abcdefghijklmnopqrstuvwxyzABCD", "abcdefghijklmnopqrstuvwx\xE2\x80\xA6.txt" },
        { "either/or", "either-or.txt" },
        { "     ", "Text.txt" },
    };
    for (const auto& [text, name] : cases) {
        drop.setString(text);
        EXPECT_EQ(store->ingest(drop, zone), 1);
        EXPECT_EQ(last().name, name);
        EXPECT_EQ(payloadOf(last()), text);
    }
    drop.setString("");
    EXPECT_EQ(store->ingest(drop, zone), 0);
}

TEST_F(Ingest, NothingUsableOrNowhereToWriteStoresNothing)
{
    EXPECT_EQ(store->ingest(drop, zone), 0);
    EXPECT_EQ(indexInode(), 0u);
    EXPECT_EQ(store->items.count(zone), 0u);

    // Without a payload folder, links and text fail and leave no item and no file.
    fs::remove_all(store->payloadDirectory());
    drop.addUrl("https://example.org/");
    EXPECT_EQ(store->ingest(drop, zone), 0);
    drop.clear();
    drop.setString("text");
    EXPECT_EQ(store->ingest(drop, zone), 0);
    EXPECT_EQ(store->itemCount(zone), 0);
    EXPECT_FALSE(fs::exists(store->payloadDirectory()));
}
