#include "preferences/XdgAutostartLoginItem.h"

#include "platform/AtomicFile.h"
#include "platform/ReadFile.h"
#include "platform/XdgPaths.h"

#include <cerrno>
#include <string_view>
#include <system_error>
#include <utility>

namespace kestrane {

namespace {
constexpr std::string_view entryName = "kestrane.desktop";
constexpr std::string_view noConfigFolder = "There is no configuration folder: neither XDG_CONFIG_HOME nor HOME is set.";

std::string describe(std::string_view action, const std::filesystem::path& path, const std::error_code& error)
{
    return "Could not " + std::string(action) + " " + path.string() + ": " + error.message() + ".";
}

std::error_code lastError(int fallback)
{
    return std::error_code(errno != 0 ? errno : fallback, std::generic_category());
}

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Characters that force an Exec argument into double quotes.
bool needsQuotes(std::string_view argument)
{
    return argument.empty() || argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string_view::npos;
}

// An Exec value holding the one argument: quoted when it must be (with " ` $ \ escaped
// inside the quotes), % doubled so it is not read as a field code, and finally the escapes
// every string value of a desktop entry takes.
std::string execValue(const std::string& argument)
{
    std::string quoted;
    if (needsQuotes(argument)) {
        quoted += '"';
        for (char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        quoted += '"';
    } else {
        quoted = argument;
    }
    std::string value;
    for (char c : quoted) {
        switch (c) {
        case '%':
            value += "%%";
            break;
        case '\\':
            value += "\\\\";
            break;
        case '\n':
            value += "\\n";
            break;
        case '\t':
            value += "\\t";
            break;
        case '\r':
            value += "\\r";
            break;
        default:
            value += c;
        }
    }
    return value;
}

struct EntryReading {
    bool isDesktopEntry = false;
    bool disabled = false;
};

bool isTrue(std::string_view value)
{
    return value == "true" || value == "1";
}
bool isFalse(std::string_view value)
{
    return value == "false" || value == "0";
}

// Only the [Desktop Entry] group decides; other groups (actions) may repeat its keys.
EntryReading read(std::string_view contents)
{
    EntryReading reading;
    bool inMainGroup = false;
    while (!contents.empty()) {
        const auto end = contents.find('\n');
        std::string_view line = trimmed(contents.substr(0, end));
        contents = end == std::string_view::npos ? std::string_view() : contents.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line = trimmed(line.substr(0, line.size() - 1));
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            reading.isDesktopEntry = reading.isDesktopEntry || inMainGroup;
            continue;
        }
        const auto equals = line.find('=');
        if (!inMainGroup || equals == std::string_view::npos)
            continue;
        const std::string_view key = trimmed(line.substr(0, equals));
        const std::string_view value = trimmed(line.substr(equals + 1));
        if ((key == "Hidden" && isTrue(value)) || (key == "X-GNOME-Autostart-enabled" && isFalse(value)))
            reading.disabled = true;
    }
    return reading;
}
} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(std::filesystem::path program)
    : XdgAutostartLoginItem(std::move(program), xdgConfigHome())
{
}

XdgAutostartLoginItem::XdgAutostartLoginItem(std::filesystem::path program, std::optional<std::filesystem::path> configFolder)
    : program_(std::move(program))
    , configFolder_(std::move(configFolder))
{
}

std::optional<std::filesystem::path> XdgAutostartLoginItem::entryFile() const
{
    if (!configFolder_)
        return std::nullopt;
    return *configFolder_ / "autostart" / entryName;
}

std::string XdgAutostartLoginItem::entryContents(const std::filesystem::path& program)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kestrane\n"
           "Exec="
        + execValue(program.string())
        + "\n"
          "X-GNOME-Autostart-enabled=true\n";
}

LoginState XdgAutostartLoginItem::status() const
{
    const auto entry = entryFile();
    if (!entry)
        return LoginState::failed(std::string(noConfigFolder));
    std::error_code error;
    if (std::filesystem::status(*entry, error).type() == std::filesystem::file_type::not_found)
        return LoginState::off();
    errno = 0;
    const std::optional<std::string> contents = readWholeFile(*entry);
    if (!contents)
        return LoginState::failed(describe("read", *entry, lastError(EIO)));
    const EntryReading reading = read(*contents);
    // The desktop ignores a file without the main group, so nothing would start.
    if (!reading.isDesktopEntry)
        return LoginState::failed(entry->string() + " is not a desktop entry.");
    return reading.disabled ? LoginState::needsApproval() : LoginState::on();
}

std::optional<LoginItemFailure> XdgAutostartLoginItem::registerItem()
{
    const auto entry = entryFile();
    if (!entry)
        return LoginItemFailure { std::string(noConfigFolder) };
    std::error_code error;
    std::filesystem::create_directories(entry->parent_path(), error);
    if (error)
        return LoginItemFailure { describe("create the folder", entry->parent_path(), error) };
    errno = 0;
    if (!writeFileAtomically(*entry, entryContents(program_)))
        return LoginItemFailure { describe("write", *entry, lastError(EIO)) };
    return std::nullopt;
}

std::optional<LoginItemFailure> XdgAutostartLoginItem::unregisterItem()
{
    const auto entry = entryFile();
    if (!entry)
        return LoginItemFailure { std::string(noConfigFolder) };
    std::error_code error;
    std::filesystem::remove(*entry, error);
    // A file standing where the folder should be means there is no entry either.
    if (error && error != std::errc::not_a_directory)
        return LoginItemFailure { describe("remove", *entry, error) };
    return std::nullopt;
}

} // namespace kestrane
