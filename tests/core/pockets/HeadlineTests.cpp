#include "pockets/Headline.h"

#include <gtest/gtest.h>

using namespace kestrane;

namespace {
const std::string decomposedE = "e\u0301";
const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
const std::string france = "\U0001F1EB\U0001F1F7";
const std::string germany = "\U0001F1E9\U0001F1EA";
const std::string thumbsUpMediumSkin = "\U0001F44D\U0001F3FD";
const std::string hangulJamo = "\u1100\u1161\u11A8";
const std::string replacement = "\uFFFD";

std::string repeated(const std::string& piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}
} // namespace

TEST(Graphemes, CountWhatAReaderSeesAsOneCharacter)
{
    EXPECT_EQ(graphemeCount(""), 0u);
    EXPECT_EQ(graphemeCount("abc"), 3u);
    EXPECT_EQ(graphemeCount(decomposedE), 1u);
    EXPECT_EQ(graphemeCount(family), 1u);
    EXPECT_EQ(graphemeCount(france + germany), 2u);
    EXPECT_EQ(graphemeCount(thumbsUpMediumSkin), 1u);
    EXPECT_EQ(graphemeCount(hangulJamo), 1u);
    EXPECT_EQ(graphemeCount("a\r\nb"), 3u);
}

TEST(Graphemes, CutOnlyBetweenCharacters)
{
    const std::string text = "a" + family + decomposedE + france + "z";
    EXPECT_EQ(firstGraphemes(text, 0), "");
    EXPECT_EQ(firstGraphemes(text, 2), "a" + family);
    EXPECT_EQ(firstGraphemes(text, 4), "a" + family + decomposedE + france);
    EXPECT_EQ(firstGraphemes(text, 99), text);

    EXPECT_EQ(firstGraphemesWithinBytes(decomposedE + "x", 2), "");
    EXPECT_EQ(firstGraphemesWithinBytes(decomposedE + "x", 3), decomposedE);
}

TEST(Graphemes, InvalidUtf8BecomesReplacementCharacters)
{
    EXPECT_EQ(validUtf8("ok \u00E9"), "ok \u00E9");
    EXPECT_EQ(validUtf8("a\xFF" "b"), "a" + replacement + "b");
    EXPECT_EQ(validUtf8("\xC0\x80"), repeated(replacement, 2)); // overlong NUL
    EXPECT_EQ(validUtf8("\xED\xA0\x80"), repeated(replacement, 3)); // a UTF-16 surrogate
    EXPECT_EQ(validUtf8("x\xE2\x82"), "x" + repeated(replacement, 2)); // cut short at the end
    EXPECT_EQ(graphemeCount("\xE2\x82"), 2u);
    EXPECT_EQ(firstGraphemes("\xFF\xFE", 1), replacement);
}

TEST(Headline, IsTheFirstNonEmptyLineTrimmedOfHorizontalSpace)
{
    EXPECT_EQ(headline("  two words  \nsecond line"), "two words");
    EXPECT_EQ(headline("\n\n\nfirst\nsecond"), "first");
    EXPECT_EQ(headline("\t\u00A0\u3000name\u2003 "), "name");
    // A first line of spaces is not an empty line: it is chosen, then trims to nothing.
    EXPECT_EQ(headline("   \nsecond"), "Text");
    EXPECT_EQ(headline("last line\n"), "last line");
}

TEST(Headline, TreatsCarriageReturnLineFeedAsOrdinaryText)
{
    EXPECT_EQ(headline("one\r\ntwo"), "one\r\ntwo");
    EXPECT_EQ(headline("one\r\n\ntwo"), "one\r\n");
    EXPECT_EQ(headline("\r\n"), "\r\n");
}

TEST(Headline, CutsLongLinesAtTwentyFourCharacters)
{
    const std::string letters = "abcdefghijklmnopqrstuvwxyzABCD";
    EXPECT_EQ(headline(letters), "abcdefghijklmnopqrstuvwx\u2026");
    EXPECT_EQ(headline(letters.substr(0, 24)), letters.substr(0, 24));
    EXPECT_EQ(headline(repeated(decomposedE, 30)), repeated(decomposedE, 24) + "\u2026");
    EXPECT_EQ(headline(repeated(family, 25)), repeated(family, 24) + "\u2026");
    EXPECT_EQ(headline(repeated(france, 25)), repeated(france, 24) + "\u2026");
    // Trimming comes first, so surrounding spaces do not use up the length.
    EXPECT_EQ(headline("    " + letters.substr(0, 24) + "    "), letters.substr(0, 24));
}

TEST(Headline, ReplacesSlashesAndFallsBackToText)
{
    EXPECT_EQ(headline("a/b"), "a-b");
    EXPECT_EQ(headline(repeated("/", 30)), repeated("-", 24) + "\u2026");
    EXPECT_EQ(headline(""), "Text");
    EXPECT_EQ(headline("    "), "Text");
    EXPECT_EQ(headline("ab\xFF" "cd"), "ab" + replacement + "cd");
    EXPECT_EQ(headline("\xFF\n"), replacement);
}
