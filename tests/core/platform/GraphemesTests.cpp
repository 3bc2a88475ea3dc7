#include "platform/Graphemes.h"

#include <gtest/gtest.h>

using namespace kestrane;

namespace {
const std::string decomposedE = "e\u0301";
const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
const std::string france = "\U0001F1EB\U0001F1F7";
const std::string replacement = "\uFFFD";
} // namespace

TEST(Graphemes, CountWhatAReaderSeesAsOneCharacter)
{
    const std::pair<std::string, std::size_t> cases[] = {
        { "", 0 }, { "abc", 3 }, { decomposedE, 1 }, { family, 1 }, { france + "\U0001F1E9\U0001F1EA", 2 },
        { "\U0001F44D\U0001F3FD", 1 }, { "\u1100\u1161\u11A8", 1 }, { "a\r\nb", 3 }, { "\xE2\x82", 2 },
    };
    for (const auto& [text, count] : cases)
        EXPECT_EQ(graphemeCount(text), count) << text;
}

TEST(Graphemes, CutOnlyBetweenCharactersOfValidText)
{
    const std::string text = "a" + family + decomposedE + france + "z";
    EXPECT_EQ(firstGraphemes(text, 0), "");
    EXPECT_EQ(firstGraphemes(text, 2), "a" + family);
    EXPECT_EQ(firstGraphemes(text, 4), "a" + family + decomposedE + france);
    EXPECT_EQ(firstGraphemes(text, 99), text);
    EXPECT_EQ(firstGraphemes("\xFF\xFE", 1), replacement);

    EXPECT_EQ(firstGraphemesWithinBytes(decomposedE + "x", 2), "");
    EXPECT_EQ(firstGraphemesWithinBytes(decomposedE + "x", 3), decomposedE);

    // Invalid UTF-8 becomes replacement characters.
    EXPECT_EQ(validUtf8("ok \u00E9"), "ok \u00E9");
    EXPECT_EQ(validUtf8("a\xFF" "b"), "a" + replacement + "b");
    EXPECT_EQ(validUtf8("\xC0\x80"), replacement + replacement); // overlong NUL
    EXPECT_EQ(validUtf8("\xED\xA0\x80"), replacement + replacement + replacement); // a UTF-16 surrogate
    EXPECT_EQ(validUtf8("x\xE2\x82"), "x" + replacement + replacement); // cut short at the end
}
