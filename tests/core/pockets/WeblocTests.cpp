#include "pockets/Webloc.h"

#include "TemporaryFolder.h"

#include <fstream>

#include <gtest/gtest.h>

using namespace kestrane;
using namespace std::string_literals;

namespace {
std::string documentFor(const std::string& escapedString)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n"
           "<dict>\n"
           "\t<key>URL</key>\n"
           "\t<string>"
        + escapedString
        + "</string>\n"
          "</dict>\n"
          "</plist>\n";
}
} // namespace

TEST(Webloc, HoldsTheUrlEscapedForXml)
{
    EXPECT_EQ(weblocDocument("https://example.com/find?q=a&b<c>d\"e'f"),
        documentFor("https://example.com/find?q=a&amp;b&lt;c&gt;d&quot;e&apos;f"));
    EXPECT_EQ(weblocDocument("https://example.com/caf\u00E9"), documentFor("https://example.com/caf\u00E9"));
    // XML cannot carry these at all; percent-encoded, the link still means the same.
    EXPECT_EQ(weblocDocument("https://h/a\tb\0c\x7F"
                             "d\xFF"s),
        documentFor("https://h/a%09b%00c%7Fd%FF"));
    EXPECT_EQ(weblocDocument("https://h/\uFFFF\uFFFD"), documentFor("https://h/%EF%BF%BF\uFFFD"));
}

TEST(Webloc, GivesBackTheUrlItWasWrittenWith)
{
    for (const std::string url : { "https://example.com/find?q=a&b<c>d\"e'f", "https://h/caf\u00E9", "mailto:a@b", "" })
        EXPECT_EQ(weblocUrl(weblocDocument(url)), url) << url;
    EXPECT_EQ(weblocUrl(weblocDocument("https://h/a\tb")), "https://h/a%09b");
    for (const std::string& broken :
        { ""s, "<key>URL</key>"s, "<key>Other</key><string>x</string>"s, documentFor("a &bogus; b"), documentFor("a & b") })
        EXPECT_EQ(weblocUrl(broken), std::nullopt) << broken;
}

TEST(Webloc, AFileIsReadOnlyWhenItIsSmallAndHoldsALink)
{
    kestrane::testing::TemporaryFolder folder;
    const auto write = [&](const std::string& name, const std::string& content) {
        std::ofstream(folder.path() / name, std::ios::binary) << content;
        return folder.path() / name;
    };
    EXPECT_EQ(weblocFileUrl(write("a.webloc", weblocDocument("https://h/x"))), "https://h/x");
    EXPECT_EQ(weblocFileUrl(write("padded.webloc", weblocDocument("https://h/x") + std::string(70 * 1024, ' '))), std::nullopt);
    EXPECT_EQ(weblocFileUrl(write("plain.webloc", "https://h/x")), std::nullopt);
    EXPECT_EQ(weblocFileUrl(folder.path() / "missing.webloc"), std::nullopt);
    EXPECT_EQ(weblocFileUrl(folder.path()), std::nullopt);
}
