#include "PocketStoreFixture.h"
#include "pockets/HandOut.h"
#include "pockets/MemoryPasteboard.h"
#include "pockets/Webloc.h"

#include <gmock/gmock.h>

using namespace kestrane;
using namespace kestrane::testing;

namespace {
const Bytes somePng { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };

class Ingest : public PocketStoreTest {
protected:
    MemoryPasteboard drop;

    void SetUp() override { open(); }

    const PocketItem& last() { return store->items.at(pocket).back(); }
    std::string payloadOf(const PocketItem& item) { return readFile(store->payloadDirectory() / *item.payload.managedFilename()); }
};
} // namespace

TEST_F(Ingest, FilesArePendingInDropOrderThenBecomeReferencesAlsoAtTheNextStart)
{
    const fs::path files[] = { makeFile("b.pdf"), makeFile("a.pdf"), makeFile("c d.pdf"), folder / "Folder" };
    fs::create_directories(files[3]);
    for (const fs::path& file : files)
        drop.addFile(file);
    drop.addUrl("https://example.com/ignored");
    drop.setString("ignored too");
    store->items[pocket] = { managedItem("earlier.txt") };

    EXPECT_EQ(store->ingest(drop, pocket), 4);
    const char* expectedNames[] = { "b.pdf", "a.pdf", "c d.pdf", "Folder" };
    for (std::size_t i = 0; i < 4; ++i) {
        const PocketItem& added = store->items.at(pocket).at(i + 1);
        EXPECT_EQ(added, (PocketItem { added.id, expectedNames[i], PocketPayload::makePending(files[i].string()), 100 }));
    }
    settle();
    const std::vector<PocketItem>& list = store->items.at(pocket);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(list[i + 1].payload, PocketPayload::makeReference(*FileReference::create(files[i])));
    EXPECT_EQ(stored().at(pocket), list);

    // A file gone before its reference is made stays pending.
    drop.clear();
    drop.addFile(makeFile("fleeting.pdf"));
    fs::remove(folder / "fleeting.pdf");
    EXPECT_EQ(store->ingest(drop, pocket), 1);
    settle();
    EXPECT_TRUE(last().payload.pendingPath());

    // Stored while no copy ran, a file is referred to at the next start, so a rename after it
    // is followed. A file name that is not UTF-8 keeps its bytes and is shown readably.
    const fs::path badName = makeFile("bad\xFF\xFE.txt");
    drop.clear();
    drop.addFile(badName);
    store->items[pocket] = { pendingItem(files[0]) };
    ASSERT_EQ(store->ingest(drop, pocket), 1);
    EXPECT_EQ(last().name, "bad\xEF\xBF\xBD\xEF\xBF\xBD.txt");
    open();
    settle();
    EXPECT_EQ(store->items.at(pocket)[0].payload, PocketPayload::makeReference(*FileReference::create(files[0])));
    fs::rename(files[0], folder / "renamed.pdf");
    const ResolvedPocketItems resolved = store->resolve(pocket);
    ASSERT_EQ(resolved.size(), 2u);
    EXPECT_EQ(std::pair(resolved[0]->path, resolved[1]->path), std::pair(folder / "renamed.pdf", badName));
}

TEST_F(Ingest, AnImageThenALinkThenTextIsStoredInAFileOfItsOwn)
{
    const std::string png(somePng.begin(), somePng.end());
    const std::string link = "https://example.org/a?b=1&c=<2>";
    const struct {
        std::function<void()> fill;
        std::string name;
        std::string content;
    } cases[] = {
        // A picture from a web page comes with its address, after which it is named.
        { [&] {
             drop.addUrl("https://example.org/pictures/a%20cat.jpg?size=2");
             drop.setImage({ somePng });
         },
            "a cat.png", png },
        { [&] { drop.addUrl(link); }, "example.org.webloc", weblocDocument(link) },
        { [&] { drop.addUrl("mailto:someone@example.org"); }, "Link.webloc", weblocDocument("mailto:someone@example.org") },
        // A file URL that names no local file falls through to what comes next.
        { [&] {
             drop.addUrl("file://elsewhere/share/doc.pdf");
             drop.setImage({ somePng });
             drop.setString("text");
         },
            "Image.png", png },
        { [&] {
             drop.setImage({ somePng });
             drop.setString("a caption");
         },
            "Image.png", png },
        { [&] { drop.setString("  two words \nsecond line"); }, "two words.txt", "  two words \nsecond line" },
    };
    std::set<std::string> files;
    for (const auto& [fill, name, content] : cases) {
        drop.clear();
        fill();
        EXPECT_EQ(store->ingest(drop, pocket), 1) << name;
        EXPECT_EQ(last().name, name);
        EXPECT_EQ(payloadOf(last()), content) << name;
        EXPECT_THAT(*last().payload.managedFilename(), ::testing::MatchesRegex("[0-9A-F-]{36}\\.(webloc|png|txt)"));
        files.insert(*last().payload.managedFilename());
    }
    EXPECT_EQ(files.size(), std::size(cases));
}

TEST_F(Ingest, NothingUsableStoresNothing)
{
    EXPECT_EQ(store->ingest(drop, pocket), 0);
    drop.setString("");
    EXPECT_EQ(store->ingest(drop, pocket), 0);
    // An image that could not be converted stores nothing, not even its text.
    drop.setImage({ std::nullopt });
    drop.setString("text");
    EXPECT_EQ(store->ingest(drop, pocket), 0);
    EXPECT_EQ(indexInode(), 0u);
    EXPECT_EQ(store->items.count(pocket), 0u);
}

// An item dragged from one pocket onto another (as stored, through a link, or as handed out
// under its own name): the receiving pocket gets a payload of its own under the item's
// name, which outlives the first item, a start's sweep and the handed-out file.
TEST_F(Ingest, AnItemMovedBetweenPocketsKeepsAPayloadOfItsOwn)
{
    const Uuid other = Uuid::random();
    drop.setString("carried over");
    ASSERT_EQ(store->ingest(drop, pocket), 1);
    const PocketItem original = last();
    const fs::path originalFile = store->payloadDirectory() / *original.payload.managedFilename();
    fs::create_directories(folder / "offered");
    fs::create_symlink(originalFile, folder / "offered" / "carried over.txt");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string runtimeBefore = runtime ? runtime : "";
    ::setenv("XDG_RUNTIME_DIR", (folder / "offered").c_str(), 1);
    drop.clear();
    drop.addUrl("https://example.com/a?b&c");
    ASSERT_EQ(store->ingest(drop, pocket), 1);
    const Uuid drag = Uuid::random();
    const auto handed = HandOut::create(*HandOut::standardRoot(), drag, store->resolve(pocket));
    const fs::path handedOut = handed.at(0);
    ASSERT_NE(handedOut, originalFile);
    // A link goes out as a desktop entry and comes back as the link it was.
    drop.clear();
    drop.addFile(handed.at(1));
    const Uuid links = Uuid::random();
    ASSERT_EQ(store->ingest(drop, links), 1);
    EXPECT_EQ(store->items.at(links).back().name, "example.com.webloc");
    EXPECT_EQ(payloadOf(store->items.at(links).back()), weblocDocument("https://example.com/a?b&c"));

    for (const fs::path& offered : { originalFile, folder / "offered" / "carried over.txt", handedOut }) {
        drop.clear();
        drop.addFile(offered);
        ASSERT_EQ(store->ingest(drop, other), 1) << offered;
        const PocketItem& moved = store->items.at(other).back();
        ASSERT_TRUE(moved.payload.managedFilename()) << offered;
        EXPECT_NE(*moved.payload.managedFilename(), *original.payload.managedFilename());
        EXPECT_EQ(std::pair(moved.name, payloadOf(moved)), std::pair(original.name, std::string("carried over")));
    }
    HandOut::remove(*HandOut::standardRoot(), drag);
    runtime ? ::setenv("XDG_RUNTIME_DIR", runtimeBefore.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
    store->remove(original.id, pocket);
    settle();
    store->waitForWrites();
    for (const std::string& name : namesIn(store->payloadDirectory()))
        backdate(store->payloadDirectory() / name, std::chrono::hours(1));
    open();
    const ResolvedPocketItems resolved = store->resolve(other);
    ASSERT_EQ(resolved.size(), 3u);
    EXPECT_EQ(readFile(resolved[1]->path), "carried over");
    EXPECT_EQ(readFile(resolved[2]->path), "carried over");
}

// Two items listing one payload, as an edited index can make: it stays while either does.
TEST_F(Ingest, APayloadSharedByTwoItemsGoesOnlyWithTheLast)
{
    const PocketItem first = managedItem(Uuid::random().string() + ".txt");
    PocketItem second = PocketItem::make("twin", first.payload, 1);
    store->items[pocket] = { first, second };
    const fs::path file = store->payloadDirectory() / *first.payload.managedFilename();
    for (const auto& [removed, kept] : { std::pair(first.id, true), { second.id, false } }) {
        store->remove(removed, pocket);
        settle();
        store->waitForWrites();
        EXPECT_EQ(fs::exists(file), kept);
    }
}
