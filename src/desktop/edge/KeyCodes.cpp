#include "edge/KeyCodes.h"

#include <QKeyEvent>

#include <array>

namespace kestrane {

namespace {
struct KeyName {
    std::uint16_t keyCode;
    std::uint32_t keysym;
    int qtKey;
};

// Letters and digits by their keysyms, which are their lower-case ASCII codes.
constexpr std::array<KeyName, 36> printableKeys { {
    { 0, 'a', Qt::Key_A },
    { 11, 'b', Qt::Key_B },
    { 8, 'c', Qt::Key_C },
    { 2, 'd', Qt::Key_D },
    { 14, 'e', Qt::Key_E },
    { 3, 'f', Qt::Key_F },
    { 5, 'g', Qt::Key_G },
    { 4, 'h', Qt::Key_H },
    { 34, 'i', Qt::Key_I },
    { 38, 'j', Qt::Key_J },
    { 40, 'k', Qt::Key_K },
    { 37, 'l', Qt::Key_L },
    { 46, 'm', Qt::Key_M },
    { 45, 'n', Qt::Key_N },
    { 31, 'o', Qt::Key_O },
    { 35, 'p', Qt::Key_P },
    { 12, 'q', Qt::Key_Q },
    { 15, 'r', Qt::Key_R },
    { 1, 's', Qt::Key_S },
    { 17, 't', Qt::Key_T },
    { 32, 'u', Qt::Key_U },
    { 9, 'v', Qt::Key_V },
    { 13, 'w', Qt::Key_W },
    { 7, 'x', Qt::Key_X },
    { 16, 'y', Qt::Key_Y },
    { 6, 'z', Qt::Key_Z },
    { 29, '0', Qt::Key_0 },
    { 18, '1', Qt::Key_1 },
    { 19, '2', Qt::Key_2 },
    { 20, '3', Qt::Key_3 },
    { 21, '4', Qt::Key_4 },
    { 23, '5', Qt::Key_5 },
    { 22, '6', Qt::Key_6 },
    { 26, '7', Qt::Key_7 },
    { 28, '8', Qt::Key_8 },
    { 25, '9', Qt::Key_9 },
} };

constexpr std::array<KeyName, 27> namedKeys { {
    { 49, 0x0020, Qt::Key_Space },
    { 36, 0xff0d, Qt::Key_Return },
    { 76, 0xff8d, Qt::Key_Enter },
    { 48, 0xff09, Qt::Key_Tab },
    { 51, 0xff08, Qt::Key_Backspace },
    { 117, 0xffff, Qt::Key_Delete },
    { 53, 0xff1b, Qt::Key_Escape },
    { 123, 0xff51, Qt::Key_Left },
    { 124, 0xff53, Qt::Key_Right },
    { 125, 0xff54, Qt::Key_Down },
    { 126, 0xff52, Qt::Key_Up },
    { 115, 0xff50, Qt::Key_Home },
    { 119, 0xff57, Qt::Key_End },
    { 116, 0xff55, Qt::Key_PageUp },
    { 121, 0xff56, Qt::Key_PageDown },
    { 122, 0xffbe, Qt::Key_F1 },
    { 120, 0xffbf, Qt::Key_F2 },
    { 99, 0xffc0, Qt::Key_F3 },
    { 118, 0xffc1, Qt::Key_F4 },
    { 96, 0xffc2, Qt::Key_F5 },
    { 97, 0xffc3, Qt::Key_F6 },
    { 98, 0xffc4, Qt::Key_F7 },
    { 100, 0xffc5, Qt::Key_F8 },
    { 101, 0xffc6, Qt::Key_F9 },
    { 109, 0xffc7, Qt::Key_F10 },
    { 103, 0xffc8, Qt::Key_F11 },
    { 111, 0xffc9, Qt::Key_F12 },
} };

template <typename Match> const KeyName* findKey(Match match)
{
    for (const auto* table : { printableKeys.data(), namedKeys.data() }) {
        const std::size_t size = table == printableKeys.data() ? printableKeys.size() : namedKeys.size();
        for (std::size_t i = 0; i < size; ++i) {
            if (match(table[i]))
                return &table[i];
        }
    }
    return nullptr;
}

std::uint64_t modifierFlags(Qt::KeyboardModifiers modifiers)
{
    std::uint64_t flags = 0;
    if (modifiers & Qt::ControlModifier)
        flags |= modifier::control;
    if (modifiers & Qt::AltModifier)
        flags |= modifier::alt;
    if (modifiers & Qt::ShiftModifier)
        flags |= modifier::shift;
    if (modifiers & Qt::MetaModifier)
        flags |= modifier::super;
    return flags;
}
} // namespace

std::optional<std::uint32_t> keysymForKeyCode(std::uint16_t keyCode)
{
    const KeyName* key = findKey([&](const KeyName& k) { return k.keyCode == keyCode; });
    return key ? std::optional<std::uint32_t>(key->keysym) : std::nullopt;
}

std::optional<std::uint16_t> keyCodeForQtKey(int qtKey)
{
    const KeyName* key = findKey([&](const KeyName& k) { return k.qtKey == qtKey; });
    return key ? std::optional<std::uint16_t>(key->keyCode) : std::nullopt;
}

std::optional<KeyEvent> keyEventFrom(const QKeyEvent& event)
{
    const KeyName* key = findKey([&](const KeyName& k) { return k.qtKey == event.key(); });
    if (!key)
        return std::nullopt;
    // The characters as typed without modifiers: Control-Q reports a control character.
    const bool printable = key->keysym >= 0x20 && key->keysym < 0x7f;
    const std::string characters = printable ? std::string(1, static_cast<char>(key->keysym)) : event.text().toStdString();
    return KeyEvent { key->keyCode, modifierFlags(event.modifiers()), characters };
}

std::optional<KeyEvent> keyEventFromKeysym(std::uint32_t keysym, std::uint64_t modifierFlags, const std::string& text)
{
    // Shift turns a letter's keysym into its capital's; the key is the same.
    const std::uint32_t unshifted = keysym >= 'A' && keysym <= 'Z' ? keysym + ('a' - 'A') : keysym;
    const KeyName* key = findKey([&](const KeyName& k) { return k.keysym == unshifted; });
    if (!key)
        return std::nullopt;
    const bool printable = key->keysym >= 0x20 && key->keysym < 0x7f;
    return KeyEvent { key->keyCode, modifierFlags, printable ? std::string(1, static_cast<char>(key->keysym)) : text };
}

} // namespace kestrane
