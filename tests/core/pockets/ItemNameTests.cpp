#include "pockets/Headline.h"
#include "pockets/ItemName.h"

#include <gtest/gtest.h>

using namespace kestrane;
using namespace std::string_literals;

TEST(ItemName, EveryNameIsAUsableFileName)
{
    EXPECT_EQ(textItemName("a\0b"s), "a-b.txt");
    EXPECT_EQ(safeFileName("..", ""), "--");
    EXPECT_EQ(safeFileName(".", ""), "-");
    EXPECT_EQ(safeFileName("", ""), "-");
    EXPECT_EQ(safeFileName("a/b", "/x"), "a-b-x");

    EXPECT_EQ(linkItemName("https://" + std::string(300, 'h') + "/"), std::string(248, 'h') + ".webloc");

    // 24 characters of a hundred combining marks each: far over the limit in bytes.
    std::string heavy;
    for (int i = 0; i < 24; ++i) {
        heavy += 'a';
        for (int mark = 0; mark < 100; ++mark)
            heavy += "\u0301";
    }
    EXPECT_EQ(textItemName(heavy), heavy.substr(0, 201) + ".txt");
}

TEST(Headline, IsTheFirstNonEmptyLineTrimmedCutAtTwentyFourCharactersWithoutSlashes)
{
    const auto repeated = [](const std::string& piece, int times) {
        std::string text;
        while (times-- > 0)
            text += piece;
        return text;
    };
    const std::string letters = "abcdefghijklmnopqrstuvwxyzABCD";
    const std::string decomposedE = "e\u0301";
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    const std::string france = "\U0001F1EB\U0001F1F7";
    const std::pair<std::string, std::string> cases[] = {
        { "  two words  \nsecond line", "two words" },
        { "\n\n\nfirst\nsecond", "first" },
        { "\t\u00A0\u3000name\u2003 ", "name" },
        // A first line of spaces is not an empty line: it is chosen, then trims to nothing.
        { "   \nsecond", "Text" },
        { "last line\n", "last line" },
        // A carriage return is ordinary text.
        { "one\r\ntwo", "one\r\ntwo" },
        { "one\r\n\ntwo", "one\r\n" },
        { letters, "abcdefghijklmnopqrstuvwx\u2026" },
        { letters.substr(0, 24), letters.substr(0, 24) },
        { repeated(decomposedE, 30), repeated(decomposedE, 24) + "\u2026" },
        { repeated(family, 25), repeated(family, 24) + "\u2026" },
        { repeated(france, 25), repeated(france, 24) + "\u2026" },
        // Trimming comes first, so surrounding spaces do not use up the length.
        { "    " + letters.substr(0, 24) + "    ", letters.substr(0, 24) },
        { "a/b", "a-b" },
        { repeated("/", 30), repeated("-", 24) + "\u2026" },
        { "", "Text" },
        { "ab\xFF"
          "cd",
            "ab\uFFFD"
            "cd" },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(headline(text), expected) << text;
}
