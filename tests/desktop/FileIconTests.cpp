#include "views/FileIcon.h"

#include <gtest/gtest.h>

using namespace kestrane;

TEST(FileIcon, KindsShareAnIconByExtensionWhileLaunchersAndBareNamesHaveTheirOwn)
{
    EXPECT_EQ(FileIcon::cacheKey("/a/Report.PDF"), FileIcon::cacheKey("/b/notes.pdf"));
    for (const char* own : { "/a/Firefox.desktop", "/a/tool.AppImage", "/a/Mail.app", "/a/Makefile" })
        EXPECT_EQ(FileIcon::cacheKey(own), own);
    EXPECT_FALSE(FileIcon::icon("/nowhere/without-a-theme.unknownkind").isNull()) << "never blank";
}
