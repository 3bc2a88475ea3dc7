#include "TemporaryFolder.h"
#include "platform/AtomicFile.h"
#include "platform/Base64.h"
#include "platform/Graphemes.h"
#include "platform/Log.h"
#include "platform/Uuid.h"

#include <gtest/gtest.h>

using namespace kestrane;
namespace fs = std::filesystem;

namespace {
const std::string decomposedE = "e\u0301";
const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
const std::string france = "\U0001F1EB\U0001F1F7";
const std::string replacement = "\uFFFD";
} // namespace

TEST(Base64, MatchesTheStandardVectorsAndRejectsMalformedText)
{
    const std::pair<std::string_view, std::string_view> vectors[] = { { "", "" }, { "f", "Zg==" }, { "fo", "Zm8=" }, { "foo", "Zm9v" },
        { "foob", "Zm9vYg==" }, { "fooba", "Zm9vYmE=" }, { "foobar", "Zm9vYmFy" }, { "\xFB\xFF", "+/8=" } };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(encodeBase64(Bytes(plain.begin(), plain.end())), encoded);
        EXPECT_EQ(decodeBase64(encoded), Bytes(plain.begin(), plain.end())) << encoded;
    }
    for (std::string_view bad : { "Zg", "Zg=", "Zg===", "Z===", "Zm9v!", "Zm 9v", "=Zm9", "Zg==Zg==", "Zm9-" })
        EXPECT_FALSE(decodeBase64(bad)) << bad;
}

TEST(Uuid, ParsesEitherCaseAndWritesUpperCase)
{
    EXPECT_EQ(Uuid::parse("0f8fad5b-d9cb-469F-A165-70867728950e")->string(), "0F8FAD5B-D9CB-469F-A165-70867728950E");
    for (std::string_view bad : { "", "0f8fad5b-d9cb-469f-a165-70867728950", "0f8fad5b-d9cb-469f-a165-70867728950e0",
             "0f8fad5bd9cb-469f-a165-70867728950e0", "0f8fad5b-d9cb-469f-a165-70867728950g", "{0f8fad5b-d9cb-469f-a165-708677289}" })
        EXPECT_FALSE(Uuid::parse(bad)) << bad;
}

TEST(AtomicFile, ReplacesWholeFilesPrivatelyAndLeavesNoTemporaryBehind)
{
    kestrane::testing::TemporaryFolder folder;
    ASSERT_TRUE(writeFileAtomically(folder / "index.json", "first"));
    ASSERT_TRUE(writeFileAtomically(folder / "index.json", std::string(100000, 'x')));
    EXPECT_EQ(kestrane::testing::readFile(folder / "index.json"), std::string(100000, 'x'));
    EXPECT_EQ(fs::status(folder / "index.json").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(writeFileAtomically(folder / "missing/index.json", "lost"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(Log, EscapesControlCharactersSoThatOneEventIsOneLine)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        { "plain Pocket \xE2\x80\xA6 caf\xC3\xA9", "plain Pocket \xE2\x80\xA6 caf\xC3\xA9" },
        { "two\nlines\r\ttab", "two\\nlines\\r\\ttab" },
        { "\x1B[31mred\x7F", "\\x1B[31mred\\x7F" },
        { std::string_view("nul\0end", 7), "nul\\x00end" },
        { "C1 \xC2\x9B control", "C1 \\xC2\\x9B control" },
        { "bad \xFF\xC3 and \xED\xA0\x80 bytes", "bad \\xFF\\xC3 and \\xED\\xA0\\x80 bytes" },
    };
    for (const auto& [raw, escaped] : cases)
        EXPECT_EQ(escapeControlCharacters(raw), escaped) << raw;
}

TEST(Graphemes, CountWhatAReaderSeesAsOneCharacter)
{
    const std::pair<std::string, std::size_t> cases[] = {
        { "", 0 },
        { "abc", 3 },
        { decomposedE, 1 },
        { family, 1 },
        { france + "\U0001F1E9\U0001F1EA", 2 },
        { "\U0001F44D\U0001F3FD", 1 },
        { "\u1100\u1161\u11A8", 1 },
        { "a\r\nb", 3 },
        { "\xE2\x82", 2 },
    };
    for (const auto& [text, count] : cases)
        EXPECT_EQ(graphemeCount(text), count) << text;
}

// Invalid UTF-8 becomes replacement characters: an overlong NUL, a UTF-16 surrogate, a
// sequence cut short at the end.
TEST(Graphemes, CutOnlyBetweenCharactersOfValidText)
{
    const std::string text = "a" + family + decomposedE + france + "z";
    const std::pair<std::string, std::string> cuts[] = { { firstGraphemes(text, 0), "" }, { firstGraphemes(text, 2), "a" + family },
        { firstGraphemes(text, 4), "a" + family + decomposedE + france }, { firstGraphemes(text, 99), text },
        { firstGraphemes("\xFF\xFE", 1), replacement }, { firstGraphemesWithinBytes(decomposedE + "x", 2), "" },
        { firstGraphemesWithinBytes(decomposedE + "x", 3), decomposedE }, { validUtf8("ok \u00E9"), "ok \u00E9" },
        { validUtf8("a\377b"), "a" + replacement + "b" }, { validUtf8("\xC0\x80"), replacement + replacement },
        { validUtf8("\xED\xA0\x80"), replacement + replacement + replacement }, { validUtf8("x\xE2\x82"), "x" + replacement + replacement } };
    for (std::size_t i = 0; i < std::size(cuts); ++i)
        EXPECT_EQ(cuts[i].first, cuts[i].second) << i;
}
