#include "app/TextField.h"

#include "platform/Graphemes.h"

#include <utf8proc.h>

#include <algorithm>
#include <utility>

namespace kestrane {

namespace {
enum class WordClass { space, punctuation, word };

utf8proc_int32_t codepointAt(std::string_view valid, std::size_t& length)
{
    utf8proc_int32_t codepoint = 0;
    const auto read =
        utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(valid.data()), static_cast<utf8proc_ssize_t>(valid.size()), &codepoint);
    length = read > 0 ? static_cast<std::size_t>(read) : 1;
    return codepoint;
}

bool separatesLines(utf8proc_int32_t codepoint)
{
    return (codepoint >= '\t' && codepoint <= '\r') || codepoint == 0x85 || codepoint == 0x2028 || codepoint == 0x2029;
}

// Typed or pasted text as one line: a run of line breaks and tabs reads as the gap between
// words it was, one space, except at either end, where a copied line brings its newline;
// other control characters are dropped.
std::string singleLine(std::string_view raw)
{
    const std::string valid = validUtf8(raw);
    std::string line;
    bool gap = false;
    for (std::size_t offset = 0, length = 0; offset < valid.size(); offset += length) {
        const utf8proc_int32_t codepoint = codepointAt(std::string_view(valid).substr(offset), length);
        gap = gap || separatesLines(codepoint);
        if (separatesLines(codepoint) || utf8proc_category(codepoint) == UTF8PROC_CATEGORY_CC)
            continue;
        if (std::exchange(gap, false) && !line.empty() && line.back() != ' ' && codepoint != ' ')
            line += ' ';
        line.append(valid, offset, length);
    }
    return line;
}

WordClass wordClass(std::string_view grapheme)
{
    std::size_t length = 0;
    const utf8proc_int32_t first = codepointAt(grapheme, length);
    switch (utf8proc_category(first)) {
    case UTF8PROC_CATEGORY_ZS:
    case UTF8PROC_CATEGORY_ZL:
    case UTF8PROC_CATEGORY_ZP:
        return WordClass::space;
    case UTF8PROC_CATEGORY_PD:
    case UTF8PROC_CATEGORY_PS:
    case UTF8PROC_CATEGORY_PE:
    case UTF8PROC_CATEGORY_PI:
    case UTF8PROC_CATEGORY_PF:
    case UTF8PROC_CATEGORY_PO:
    case UTF8PROC_CATEGORY_SM:
    case UTF8PROC_CATEGORY_SC:
    case UTF8PROC_CATEGORY_SK:
        // An apostrophe belongs to its word: "today's" is one step, not three.
        return first == '\'' || first == 0x2019 ? WordClass::word : WordClass::punctuation;
    default:
        return WordClass::word;
    }
}
} // namespace

TextField::TextField(std::optional<std::size_t> maxGraphemes)
    : maxGraphemes_(maxGraphemes)
{
}

TextField::Range TextField::selection() const
{
    return { std::min(state_.caret, state_.anchor), std::max(state_.caret, state_.anchor) };
}

std::string_view TextField::selectedText() const
{
    const Range range = selection();
    return std::string_view(state_.text).substr(range.start, range.end - range.start);
}

template <typename Edit> TextField::Change TextField::tracked(Edit edit)
{
    const State before = state_;
    edit();
    return { before.text != state_.text, before != state_ };
}

TextField::Change TextField::setText(std::string_view text)
{
    return tracked([&] {
        state_ = State {};
        replace({}, text);
    });
}

TextField::Change TextField::apply(Command command)
{
    return tracked([&] { perform(command); });
}

TextField::Change TextField::insert(std::string_view typed)
{
    return tracked([&] { replace(selection(), typed); });
}

TextField::Change TextField::moveCaretTo(std::size_t offset, bool extend)
{
    return tracked([&] {
        const auto all = stops();
        place(*std::prev(std::upper_bound(all.begin(), all.end(), offset)), extend);
    });
}

TextField::Change TextField::setPreedit(std::string_view composing)
{
    return tracked([&] { state_.preedit = singleLine(composing); });
}

TextField::Change TextField::commit(std::string_view committed)
{
    return tracked([&] {
        state_.preedit.clear();
        replace(selection(), committed);
    });
}

void TextField::perform(Command command)
{
    const Range selected = selection();
    switch (command) {
    case Command::moveLeft:
        return place(selected.empty() ? neighbour(false) : selected.start, false);
    case Command::moveRight:
        return place(selected.empty() ? neighbour(true) : selected.end, false);
    case Command::moveWordLeft:
        return place(wordEdge(false), false);
    case Command::moveWordRight:
        return place(wordEdge(true), false);
    case Command::moveHome:
        return place(0, false);
    case Command::moveEnd:
        return place(state_.text.size(), false);
    case Command::selectLeft:
        return place(neighbour(false), true);
    case Command::selectRight:
        return place(neighbour(true), true);
    case Command::selectWordLeft:
        return place(wordEdge(false), true);
    case Command::selectWordRight:
        return place(wordEdge(true), true);
    case Command::selectHome:
        return place(0, true);
    case Command::selectEnd:
        return place(state_.text.size(), true);
    case Command::selectAll:
        place(0, false);
        return place(state_.text.size(), true);
    case Command::deleteBackward:
        return eraseTo(neighbour(false));
    case Command::deleteForward:
        return eraseTo(neighbour(true));
    case Command::deleteWordBackward:
        return eraseTo(wordEdge(false));
    case Command::deleteWordForward:
        return eraseTo(wordEdge(true));
    }
}

void TextField::place(std::size_t caret, bool extend)
{
    state_.caret = caret;
    if (!extend)
        state_.anchor = caret;
}

// Deletes the selection, or else what lies between the caret and other.
void TextField::eraseTo(std::size_t other)
{
    const Range selected = selection();
    replace(selected.empty() ? Range { std::min(state_.caret, other), std::max(state_.caret, other) } : selected, {});
}

void TextField::replace(Range range, std::string_view raw)
{
    const std::string clean = fitting(singleLine(raw), range);
    state_.text.replace(range.start, range.end - range.start, clean);
    // What comes in can join the character before it (an accent after its letter), and
    // what goes out can join its neighbours (two halves of a flag): the caret then goes
    // after the joined character.
    const auto all = stops();
    place(*std::lower_bound(all.begin(), all.end(), range.start + clean.size()), false);
}

// As much of clean as the length allows in place of replaced, in whole characters. Joining
// the text around it never adds characters, so counting the pieces apart is enough.
std::string TextField::fitting(std::string clean, Range replaced) const
{
    if (!maxGraphemes_)
        return clean;
    const std::size_t kept = graphemeCount(std::string_view(state_.text).substr(0, replaced.start))
        + graphemeCount(std::string_view(state_.text).substr(replaced.end));
    return firstGraphemes(clean, *maxGraphemes_ > kept ? *maxGraphemes_ - kept : 0);
}

// Every caret position: the start and the end of each character.
std::vector<std::size_t> TextField::stops() const
{
    std::vector<std::size_t> all = graphemeEnds(state_.text);
    all.insert(all.begin(), 0);
    return all;
}

std::size_t TextField::neighbour(bool forward) const
{
    const auto all = stops();
    const auto at = std::lower_bound(all.begin(), all.end(), state_.caret);
    if (forward)
        return std::next(at) != all.end() ? *std::next(at) : *at;
    return at != all.begin() ? *std::prev(at) : *at;
}

// Where a word step from the caret ends: past any spaces, then past one run of word
// characters or of punctuation, so that "a, b" stops on each side of its comma.
std::size_t TextField::wordEdge(bool forward) const
{
    const auto all = stops();
    auto at = static_cast<std::size_t>(std::lower_bound(all.begin(), all.end(), state_.caret) - all.begin());
    const auto crossed = [&](std::size_t stop) -> std::optional<WordClass> {
        if (forward ? stop + 1 == all.size() : stop == 0)
            return std::nullopt;
        const std::size_t from = forward ? stop : stop - 1;
        return wordClass(std::string_view(state_.text).substr(all[from], all[from + 1] - all[from]));
    };
    const auto step = [&](std::size_t stop) { return forward ? stop + 1 : stop - 1; };
    while (crossed(at) == WordClass::space)
        at = step(at);
    const auto run = crossed(at);
    while (run && crossed(at) == run)
        at = step(at);
    return all[at];
}

} // namespace kestrane
