#include "pockets/MemoryPasteboard.h"

#include <gtest/gtest.h>

using namespace kestrane;

TEST(MemoryPasteboard, OffersLocalFileUrlsAmongAllUrlsInOrder)
{
    MemoryPasteboard pasteboard;
    pasteboard.addFile("/tmp/b file.txt");
    pasteboard.addUrl("https://example.com/");
    pasteboard.addUrl("file://server/share/remote.txt");
    pasteboard.addUrl("file:///tmp/a.txt");
    pasteboard.setString("hello");
    EXPECT_EQ(pasteboard.fileUrls(), (std::vector<std::string> { "file:///tmp/b%20file.txt", "file:///tmp/a.txt" }));
    EXPECT_EQ(pasteboard.urls().size(), 4u);
    EXPECT_EQ(pasteboard.urls()[1], "https://example.com/");

    pasteboard.clear();
    EXPECT_TRUE(pasteboard.urls().empty());
    EXPECT_EQ(pasteboard.string(), std::nullopt);
}
