#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrane {

// One line of editable UTF-8 text with a caret and a selection, for a field the program
// paints itself. Offsets are bytes into text() and always fall between user-perceived
// characters, so no motion or deletion leaves half a flag or an accent without its letter.
// Whatever is inserted, the text stays valid UTF-8 without control characters.
class TextField {
public:
    enum class Command {
        moveLeft,
        moveRight,
        moveWordLeft,
        moveWordRight,
        moveHome,
        moveEnd,
        selectLeft,
        selectRight,
        selectWordLeft,
        selectWordRight,
        selectHome,
        selectEnd,
        selectAll,
        deleteBackward,
        deleteForward,
        deleteWordBackward,
        deleteWordForward,
    };

    // What an operation changed: the text itself (worth a rename), and anything a painter
    // shows (the text, the caret, the selection or the preedit).
    struct Change {
        bool text = false;
        bool repaint = false;
    };

    struct Range {
        std::size_t start = 0;
        std::size_t end = 0;
        bool empty() const { return start == end; }
    };

    explicit TextField(std::optional<std::size_t> maxGraphemes = std::nullopt);

    const std::string& text() const { return state_.text; }
    std::size_t caret() const { return state_.caret; }
    std::size_t anchor() const { return state_.anchor; }
    Range selection() const;
    std::string_view selectedText() const;
    // What an input method is composing: shown at the caret, not yet part of the text.
    const std::string& preedit() const { return state_.preedit; }

    // Replaces everything (with the name as stored, say); the caret goes to the end.
    Change setText(std::string_view text);
    Change apply(Command command);
    // Typed or pasted text, in place of the selection.
    Change insert(std::string_view typed);
    // A click: the caret goes to the character boundary at or before offset; extend keeps
    // the anchor where it is.
    Change moveCaretTo(std::size_t offset, bool extend);
    Change setPreedit(std::string_view composing);
    // The input method's final text replaces its preedit.
    Change commit(std::string_view committed);

private:
    struct State {
        std::string text;
        std::size_t caret = 0;
        std::size_t anchor = 0;
        std::string preedit;
        bool operator==(const State&) const = default;
    };

    template <typename Edit> Change tracked(Edit edit);
    void perform(Command command);
    void place(std::size_t caret, bool extend);
    void eraseTo(std::size_t other);
    void replace(Range range, std::string_view raw);
    std::string fitting(std::string clean, Range replaced) const;
    std::vector<std::size_t> stops() const;
    std::size_t neighbour(bool forward) const;
    std::size_t wordEdge(bool forward) const;

    std::optional<std::size_t> maxGraphemes_;
    State state_;
};

// The command a key press means to a focused field, if any: the arrows, Home and End (Shift
// selects; Control moves the arrows by words), Backspace and Delete (Control: a word),
// Control+A. Return, Escape, Tab and the clipboard's keys are the caller's.
std::optional<TextField::Command> textFieldCommand(std::uint16_t keyCode, std::uint64_t modifierFlags);

} // namespace kestrane
