#include "pockets/DesktopLink.h"

#include <gtest/gtest.h>

using namespace kestrane;

TEST(DesktopLink, IsALinkEntryThatGivesBackItsUrl)
{
    EXPECT_EQ(desktopLinkEntry("example.com", "https://example.com/"),
        "[Desktop Entry]\nType=Link\nName=example.com\nURL=https://example.com/\nIcon=text-html\n");
    EXPECT_EQ(desktopLinkEntry(" two\nlines\\", "u"), "[Desktop Entry]\nType=Link\nName=\\stwo\\nlines\\\\\nURL=u\nIcon=text-html\n");
    for (const std::string url : { "https://h/a=b?c\\d", "file:///tmp/a b ", "x\ty\r\nz" })
        EXPECT_EQ(desktopLinkUrl(desktopLinkEntry("name", url)), url) << url;

    // Written by hand: only the main group counts, spaces around "=" do not, CRLF ends lines.
    EXPECT_EQ(desktopLinkUrl("[Other]\nURL=wrong\n[Desktop Entry]\r\nName=x\r\n  URL = https://right/\r\n"), "https://right/");
    EXPECT_EQ(desktopLinkUrl("[Desktop Entry]\nURLs=no\n[Other]\nURL=wrong\n"), std::nullopt);
    EXPECT_EQ(desktopLinkUrl(""), std::nullopt);
}
