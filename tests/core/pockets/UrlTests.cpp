#include "pockets/Url.h"

#include <gtest/gtest.h>

using namespace kestrane;
namespace fs = std::filesystem;

TEST(Url, OnlyLocalAbsoluteFileUrlsGiveTheirDecodedPath)
{
    const std::pair<const char*, std::optional<fs::path>> cases[] = {
        { "file:///home/me/a%20b.txt", "/home/me/a b.txt" },
        { "FILE://LocalHost/tmp/x", "/tmp/x" },
        { "file:/tmp/x", "/tmp/x" },
        { "file:///tmp/caf%C3%A9", "/tmp/caf\u00E9" },
        { "file:///tmp/folder/", "/tmp/folder" },
        { "file:///tmp/x?query#fragment", "/tmp/x" },
        { "file:///tmp/100%", "/tmp/100%" },
        { "file:///tmp/%zz%4", "/tmp/%zz%4" },
    };
    for (const auto& [url, path] : cases)
        EXPECT_EQ(localPathFromFileUrl(url), path) << url;
    for (const char* url : { "http://example.com/x", "file://server/share/x", "file:relative/x", "file:", "file://", "file:///a%00b", "",
             "/tmp/plain-path", "://x", "1file:///x" })
        EXPECT_EQ(localPathFromFileUrl(url), std::nullopt) << url;
    EXPECT_TRUE(isFileUrl("File://server/share/x"));
    EXPECT_FALSE(isFileUrl("files:///x"));
    EXPECT_FALSE(isFileUrl("https://example.com/file:///x"));
}

TEST(Url, PathsSurviveTheRoundTripThroughAFileUrl)
{
    for (const fs::path path :
        { "/tmp/plain.txt", "/tmp/a b#c?d%e.txt", "/tmp/caf\u00E9/\U0001F468\u200D\U0001F469", "/tmp/line\nbreak", "/tmp/\xFF\xFE" }) {
        const std::string url = fileUrlFromPath(path);
        EXPECT_EQ(url.find_first_of(" #?\n"), std::string::npos) << url;
        EXPECT_EQ(localPathFromFileUrl(url), path) << url;
    }
    EXPECT_EQ(fileUrlFromPath("/tmp/a b"), "file:///tmp/a%20b");
}

TEST(Url, HostsComeWithoutUserPortOrBrackets)
{
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        { "https://example.com", "example.com" },
        { "ftp://me:pw@files.example.com:21/pub", "files.example.com" },
        { "http://a@b@c.example/", "c.example" },
        { "http://[::1]:8080/", "::1" },
        { "mailto:someone@example.com", std::nullopt },
        { "file:///tmp/x", std::nullopt },
        { "http://:80/", std::nullopt },
    };
    for (const auto& [url, host] : cases)
        EXPECT_EQ(urlHost(url), host) << url;
}
