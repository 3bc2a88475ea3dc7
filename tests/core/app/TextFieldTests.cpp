#include "app/TextField.h"
#include "preferences/KeyEvent.h"

#include <gtest/gtest.h>

using namespace kestrane;
using Command = TextField::Command;

namespace {
const std::string accented = "e\u0301";
const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
const std::string france = "\U0001F1EB\U0001F1F7";
const std::string germany = "\U0001F1E9\U0001F1EA";
const std::string replacement = "\uFFFD";

// Fields are written as their text with | at the caret and ^ at the anchor, when they differ.
TextField fieldFrom(std::string_view marked, std::optional<std::size_t> maxGraphemes = std::nullopt)
{
    std::string text;
    std::size_t caret = 0;
    std::optional<std::size_t> anchor;
    for (char c : marked) {
        if (c == '|')
            caret = text.size();
        else if (c == '^')
            anchor = text.size();
        else
            text += c;
    }
    TextField field(maxGraphemes);
    field.setText(text);
    field.moveCaretTo(anchor.value_or(caret), false);
    field.moveCaretTo(caret, true);
    return field;
}

std::string marked(const TextField& field)
{
    std::string text = field.text();
    const auto [first, last] = std::minmax({ field.caret(), field.anchor() });
    if (first != last)
        text.insert(last, 1, last == field.caret() ? '|' : '^');
    text.insert(first, 1, first == field.caret() ? '|' : '^');
    return text;
}

struct CommandRow {
    std::string before;
    Command command;
    std::string after;
};

void expectRows(std::initializer_list<CommandRow> rows)
{
    for (const auto& [before, command, after] : rows) {
        TextField field = fieldFrom(before);
        field.apply(command);
        EXPECT_EQ(marked(field), after) << before;
    }
}
} // namespace

TEST(TextField, MovesSelectsAndDeletesWholeCharacters)
{
    expectRows({
        { "|" + accented + "x", Command::moveRight, accented + "|x" },
        { family + "|", Command::moveLeft, "|" + family },
        { "a" + france + "|" + germany, Command::selectLeft, "a|" + france + "^" + germany },
        { "^ab|c", Command::moveLeft, "|abc" },
        { "a|bc^d", Command::moveRight, "abc|d" },
        { "ab|c", Command::selectHome, "|ab^c" },
        { "a|b", Command::selectAll, "^ab|" },
        { "a" + accented + "|b", Command::deleteBackward, "a|b" },
        { "a|" + family + "b", Command::deleteForward, "a|b" },
        { france + germany + "|", Command::deleteBackward, france + "|" },
        { "a^bc|d", Command::deleteWordForward, "a|d" },
    });
}

TEST(TextField, StepsByWordsPastSpacesThenOneRunOfLettersOrPunctuation)
{
    expectRows({
        { "foo|  bar", Command::moveWordRight, "foo  bar|" },
        { "foo  bar|", Command::moveWordLeft, "foo  |bar" },
        { "a|, b", Command::moveWordRight, "a,| b" },
        { "a, |b", Command::moveWordLeft, "a|, b" },
        { "x --> |y", Command::moveWordLeft, "x |--> y" },
        { "  |", Command::moveWordLeft, "|  " },
        { "|today's list", Command::moveWordRight, "today's| list" },
        { "|t" + accented + " x", Command::moveWordRight, "t" + accented + "| x" },
        { "|" + family + france + " x", Command::moveWordRight, family + france + "| x" },
        { "foo |bar baz", Command::selectWordRight, "foo ^bar| baz" },
        { "foo, |bar", Command::deleteWordBackward, "foo|bar" },
        { "|foo, bar", Command::deleteWordForward, "|, bar" },
    });
}

TEST(TextField, InsertsOneValidLineOfAsManyWholeCharactersAsTheLimitAllows)
{
    const std::tuple<std::optional<std::size_t>, std::string, std::string, std::string> rows[] = {
        { {}, "a^bc|d", "X", "aX|d" },
        { {}, "ab|", "\r\nline\r\n\r\ntwo\rthree\u0085four\n", "abline two three four|" },
        { {}, "|", "one\ttwo\n three\u2028four", "one two three four|" },
        { {}, "|", "a\007b\177", "ab|" },
        { {}, "|", "a\377b", "a" + replacement + "b|" },
        { {}, "|z", "\xE2\x82", replacement + replacement + "|z" },
        { {}, "e|x", "\u0301", accented + "|x" },
        { 5, "abc|", "d" + family + "x", "abcd" + family + "|" },
        { 4, "a|bc", accented + "f", "a" + accented + "|bc" },
        { 3, "abc|", family, "abc|" },
        { 3, "a^bc|", france + germany + "z", "a" + france + germany + "|" },
    };
    for (const auto& [limit, before, typed, after] : rows) {
        TextField field = fieldFrom(before, limit);
        field.insert(typed);
        EXPECT_EQ(marked(field), after) << after;
    }
    TextField field(2);
    field.setText("a" + family + "b");
    EXPECT_EQ(field.text(), "a" + family);
}

TEST(TextField, SaysWhetherTheTextOrOnlyWhatIsShownChanged)
{
    TextField field;
    const auto expectChange = [](TextField::Change change, bool text, bool repaint, const char* what) {
        EXPECT_EQ(change.text, text) << what;
        EXPECT_EQ(change.repaint, repaint) << what;
    };
    expectChange(field.setText("ab"), true, true, "set");
    expectChange(field.setText("ab"), false, false, "set again");
    expectChange(field.apply(Command::moveWordLeft), false, true, "move");
    expectChange(field.apply(Command::moveLeft), false, false, "left at the start");
    expectChange(field.apply(Command::deleteBackward), false, false, "backspace at the start");
    expectChange(field.setPreedit("\u304B"), false, true, "preedit");
    expectChange(field.commit("\u5BB6"), true, true, "commit");
    EXPECT_EQ(marked(field), "\u5BB6|ab");
    EXPECT_EQ(field.preedit(), "");

    field.setText(family + "x");
    expectChange(field.moveCaretTo(5, true), false, true, "click inside a character");
    EXPECT_EQ(marked(field), "|" + family + "x^");
}

TEST(TextField, KeysMapToCommandsWithShiftSelectingAndControlByWords)
{
    const std::tuple<std::uint16_t, std::uint64_t, std::optional<Command>> rows[] = {
        { keyCode::leftArrow, 0, Command::moveLeft },
        { keyCode::rightArrow, modifier::control, Command::moveWordRight },
        { keyCode::leftArrow, modifier::shift | modifier::control, Command::selectWordLeft },
        { keyCode::leftArrow, modifier::shift | modifier::capsLock, Command::selectLeft },
        { keyCode::end, modifier::shift, Command::selectEnd },
        { keyCode::forwardDelete, 0, Command::deleteForward },
        { keyCode::forwardDelete, modifier::shift, std::nullopt },
        { keyCode::backspace, modifier::control, Command::deleteWordBackward },
        { keyCode::a, modifier::control, Command::selectAll },
        { keyCode::a, 0, std::nullopt },
        { keyCode::a, modifier::control | modifier::shift, std::nullopt },
        { keyCode::escape, 0, std::nullopt },
        { keyCode::leftArrow, modifier::alt, std::nullopt },
        { keyCode::backspace, modifier::super, std::nullopt },
    };
    for (const auto& [key, flags, command] : rows)
        EXPECT_EQ(textFieldCommand(key, flags), command) << key << " " << flags;
}
