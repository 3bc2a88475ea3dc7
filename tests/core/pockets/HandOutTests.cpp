#include "TemporaryFolder.h"
#include "pockets/DesktopLink.h"
#include "pockets/HandOut.h"
#include "pockets/Webloc.h"

#include <gtest/gtest.h>

using namespace kestrane;
using namespace kestrane::testing;
namespace fs = std::filesystem;

namespace {
std::shared_ptr<const ResolvedPocketItem> item(const std::string& name, const fs::path& path, bool managed)
{
    return std::make_shared<const ResolvedPocketItem>(ResolvedPocketItem { Uuid::random(), path, false, true, name, managed });
}
} // namespace

TEST(HandOut, NamesAreTheItemsOwnSafeAndDistinctWithinADrag)
{
    const std::string longStem(300, 'n');
    const auto managed = [](const std::string& name, const std::string& stored) { return item(name, "/p/" + stored, true); };
    // What a case shows, the items, and their names.
    const std::tuple<const char*, ResolvedPocketItems, std::vector<std::string>> cases[] = {
        { "own name", { managed("Note.txt", "A2C2.txt") }, { "Note.txt" } },
        { "same name twice, and a third", { managed("Note.txt", "1.txt"), managed("Note.txt", "2.txt"), managed("Note.txt", "3.txt") },
            { "Note.txt", "Note 2.txt", "Note 3.txt" } },
        { "a number already taken", { managed("a 2.txt", "1.txt"), managed("a.txt", "2.txt"), managed("a.txt", "3.txt") },
            { "a 2.txt", "a.txt", "a 3.txt" } },
        { "the payload's extension", { managed("cat.jpg", "1.png"), managed("a.txt", "2.md") }, { "cat.jpg.png", "a.txt.md" } },
        { "links as desktop entries", { managed("example.com.webloc", "1.webloc"), managed("example.com.webloc", "2.webloc") },
            { "example.com.desktop", "example.com 2.desktop" } },
        { "unsafe stored names", { managed("a/b.txt", "1.txt"), managed("..", "2.txt"), managed("", "3") }, { "a-b.txt", "...txt", "-" } },
        { "user files as they are", { item("mine.pdf", "/home/u/mine.pdf", false), managed("mine.pdf", "1.pdf") }, { "", "mine.pdf" } },
    };
    for (const auto& [label, items, names] : cases)
        EXPECT_EQ(HandOut::names(items), names) << label;

    const auto cut = HandOut::names({ managed(longStem + ".txt", "1.txt"), managed(longStem + ".txt", "2.txt") });
    EXPECT_NE(cut[0], cut[1]) << "names cut to the longest file name stay distinct";
    for (const std::string& name : cut)
        EXPECT_TRUE(name.size() <= 255 && name.ends_with(".txt")) << name;
}

TEST(HandOut, FilesAreCreatedPrivatelyAndRemovedWithoutTouchingTheStore)
{
    TemporaryFolder folder;
    fs::create_directories(folder / "Payloads");
    const fs::path stored = folder / "Payloads/A2C2.txt";
    writeFile(stored, "the text");
    const fs::path userFile = folder / "mine.pdf";
    writeFile(userFile, "pdf");
    const fs::path root = folder / "runtime/kestrane-handout";
    fs::create_directories(root.parent_path());
    const Uuid drag = Uuid::random();

    const fs::path storedLink = folder / "Payloads/EC1C.webloc";
    writeFile(storedLink, weblocDocument("https://example.com/a?b&c"));
    const auto offered = HandOut::create(root, drag,
        { item("Note.txt", stored, true), item("mine.pdf", userFile, false), item("Note.txt", folder / "Payloads/gone.txt", true),
            item("example.com.webloc", storedLink, true) });
    // What cannot be handed out is offered where it is.
    const fs::path own = root / drag.string();
    EXPECT_EQ(offered, (std::vector<fs::path> { own / "Note.txt", userFile, folder / "Payloads/gone.txt", own / "example.com.desktop" }));
    EXPECT_EQ(std::pair(readFile(offered.at(0)), readFile(offered.at(3))),
        std::pair(std::string("the text"), desktopLinkEntry("example.com", "https://example.com/a?b&c")));
    EXPECT_EQ(fs::status(root / drag.string()).permissions() & fs::perms::all, fs::perms::owner_all);

    const Uuid later = Uuid::random();
    HandOut::create(root, later, { item("Note.txt", stored, true) });
    fs::create_directory(root / "not a drag");
    HandOut::remove(root, drag);
    EXPECT_FALSE(fs::exists(root / drag.string()));
    EXPECT_TRUE(fs::exists(root / later.string() / "Note.txt")) << "only that drag's files go";
    const auto now = fs::file_time_type::clock::now();
    HandOut::removeExpired(root, now - std::chrono::minutes(10));
    EXPECT_TRUE(fs::exists(root / later.string())) << "still in its grace";
    HandOut::removeExpired(root, now + std::chrono::minutes(1));
    EXPECT_FALSE(fs::exists(root / later.string()));
    EXPECT_TRUE(fs::exists(root / "not a drag"));
    fs::remove_all(root);
    EXPECT_EQ(std::pair(readFile(stored), readFile(userFile)), std::pair(std::string("the text"), std::string("pdf")));

    // A root that something replaced with a link is neither filled nor emptied.
    fs::create_directories(folder / "elsewhere" / drag.string());
    fs::create_directory_symlink(folder / "elsewhere", root);
    EXPECT_EQ(HandOut::create(root, later, { item("Note.txt", stored, true) }), std::vector<fs::path> { stored });
    HandOut::removeExpired(root, now + std::chrono::minutes(1));
    EXPECT_TRUE(fs::exists(folder / "elsewhere" / drag.string()));
}

TEST(DesktopLink, IsALinkEntryThatGivesBackItsUrl)
{
    EXPECT_EQ(desktopLinkEntry("example.com", "https://example.com/"),
        "[Desktop Entry]\nType=Link\nName=example.com\nURL=https://example.com/\nIcon=text-html\n");
    EXPECT_EQ(desktopLinkEntry(" two\nlines\\", "u"), "[Desktop Entry]\nType=Link\nName=\\stwo\\nlines\\\\\nURL=u\nIcon=text-html\n");
    for (const std::string url : { "https://h/a=b?c\\d", "file:///tmp/a b ", " x\ty\r\nz" })
        EXPECT_EQ(desktopLinkUrl(desktopLinkEntry("name", url)), url) << url;

    // Written by hand: only the main group counts, spaces around "=" do not, CRLF ends lines.
    EXPECT_EQ(desktopLinkUrl("[Other]\nURL=wrong\n[Desktop Entry]\r\nName=x\r\n  URL = https://right/\r\n"), "https://right/");
    EXPECT_EQ(desktopLinkUrl("[Desktop Entry]\nURLs=no\n[Other]\nURL=wrong\n"), std::nullopt);
    EXPECT_EQ(desktopLinkUrl(""), std::nullopt);
}
