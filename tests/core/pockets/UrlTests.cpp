#include "pockets/MemoryPasteboard.h"
#include "pockets/Url.h"

#include <gtest/gtest.h>

using namespace kestrane;
namespace fs = std::filesystem;

TEST(Url, FileUrlsGiveTheirDecodedLocalPath)
{
    EXPECT_EQ(localPathFromFileUrl("file:///home/me/a%20b.txt"), fs::path("/home/me/a b.txt"));
    EXPECT_EQ(localPathFromFileUrl("file://localhost/tmp/x"), fs::path("/tmp/x"));
    EXPECT_EQ(localPathFromFileUrl("FILE://LocalHost/tmp/x"), fs::path("/tmp/x"));
    EXPECT_EQ(localPathFromFileUrl("file:/tmp/x"), fs::path("/tmp/x"));
    EXPECT_EQ(localPathFromFileUrl("file:///tmp/caf%C3%A9"), fs::path("/tmp/caf\u00E9"));
    EXPECT_EQ(localPathFromFileUrl("file:///tmp/folder/"), fs::path("/tmp/folder"));
    EXPECT_EQ(localPathFromFileUrl("file:///tmp/x?query#fragment"), fs::path("/tmp/x"));
    EXPECT_EQ(localPathFromFileUrl("file:///tmp/100%"), fs::path("/tmp/100%"));
    EXPECT_EQ(localPathFromFileUrl("file:///tmp/%zz%4"), fs::path("/tmp/%zz%4"));
}

TEST(Url, OnlyLocalAbsoluteFileUrlsGiveAPath)
{
    for (const char* url : { "http://example.com/x", "file://server/share/x", "file:relative/x", "file:", "file://",
                             "file:///a%00b", "", "/tmp/plain-path", "://x", "1file:///x" })
        EXPECT_EQ(localPathFromFileUrl(url), std::nullopt) << url;
    EXPECT_TRUE(isFileUrl("File://server/share/x"));
    EXPECT_FALSE(isFileUrl("files:///x"));
    EXPECT_FALSE(isFileUrl("https://example.com/file:///x"));
}

TEST(Url, PathsSurviveTheRoundTripThroughAFileUrl)
{
    for (const fs::path path : { "/tmp/plain.txt", "/tmp/a b#c?d%e.txt", "/tmp/caf\u00E9/\U0001F468\u200D\U0001F469",
                                 "/tmp/line\nbreak", "/tmp/\xFF\xFE" }) {
        const std::string url = fileUrlFromPath(path);
        EXPECT_EQ(url.find_first_of(" #?\n"), std::string::npos) << url;
        EXPECT_EQ(localPathFromFileUrl(url), path) << url;
    }
    EXPECT_EQ(fileUrlFromPath("/tmp/a b"), "file:///tmp/a%20b");
}

TEST(Url, HostsComeWithoutUserPortOrBrackets)
{
    EXPECT_EQ(urlHost("https://example.com"), "example.com");
    EXPECT_EQ(urlHost("ftp://me:pw@files.example.com:21/pub"), "files.example.com");
    EXPECT_EQ(urlHost("http://a@b@c.example/"), "c.example");
    EXPECT_EQ(urlHost("http://[::1]:8080/"), "::1");
    EXPECT_EQ(urlHost("mailto:someone@example.com"), std::nullopt);
    EXPECT_EQ(urlHost("file:///tmp/x"), std::nullopt);
    EXPECT_EQ(urlHost("http://:80/"), std::nullopt);
}

TEST(MemoryPasteboard, OffersLocalFileUrlsAmongAllUrlsInOrder)
{
    MemoryPasteboard pasteboard;
    EXPECT_TRUE(pasteboard.urls().empty());
    EXPECT_EQ(pasteboard.image(), std::nullopt);
    EXPECT_EQ(pasteboard.string(), std::nullopt);

    pasteboard.addFile("/tmp/b file.txt");
    pasteboard.addUrl("https://example.com/");
    pasteboard.addUrl("file://server/share/remote.txt");
    pasteboard.addUrl("file:///tmp/a.txt");
    pasteboard.setImage(PasteboardImage { std::nullopt });
    pasteboard.setString("hello");

    EXPECT_EQ(pasteboard.fileUrls(), (std::vector<std::string> { "file:///tmp/b%20file.txt", "file:///tmp/a.txt" }));
    EXPECT_EQ(pasteboard.urls().size(), 4u);
    EXPECT_EQ(pasteboard.urls()[1], "https://example.com/");
    EXPECT_EQ(pasteboard.image(), PasteboardImage { std::nullopt });
    EXPECT_EQ(pasteboard.string(), "hello");

    pasteboard.clear();
    EXPECT_TRUE(pasteboard.urls().empty());
    EXPECT_EQ(pasteboard.string(), std::nullopt);
}
