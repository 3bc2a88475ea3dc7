#include "app/CommandLine.h"

#include "pockets/Url.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace kestrane {

namespace {
// The switches that take no value; "--seed-pocket" takes one, checked by LaunchSwitches.
constexpr std::array runSwitches { "--onboarding", "--reset-pockets", "--unseed-pocket", "--print-pockets", "--edit", "--debug-purge",
    "--debug-frames", "--x11", "--wayland" };

bool isRunSwitch(std::string_view argument)
{
    return std::find(runSwitches.begin(), runSwitches.end(), argument) != runSwitches.end();
}

// "scheme://…" or a mail link; anything else names a file, however odd its name.
bool looksLikeUrl(const std::string& target)
{
    if (target.starts_with("mailto:"))
        return target.size() > 7;
    const std::size_t colon = target.find("://");
    if (colon == std::string::npos || colon == 0 || target.size() <= colon + 3 || !std::isalpha(static_cast<unsigned char>(target[0])))
        return false;
    return std::all_of(target.begin(), target.begin() + static_cast<std::ptrdiff_t>(colon),
        [](unsigned char c) { return std::isalnum(c) || c == '+' || c == '.' || c == '-'; });
}

std::string targetFrom(const std::string& argument, const std::filesystem::path& workingFolder)
{
    if (isFileUrl(argument)) {
        if (auto path = localPathFromFileUrl(argument))
            return path->string();
    }
    if (looksLikeUrl(argument))
        return argument;
    return (workingFolder / argument).lexically_normal().string();
}

CommandLine invalid(std::string why)
{
    CommandLine command;
    command.action = CommandLine::Action::invalid;
    command.error = std::move(why);
    return command;
}

// Reads the arguments after the program's name; answers the error, empty when they make sense.
class Reader {
public:
    Reader(const std::vector<std::string>& arguments, const std::filesystem::path& workingFolder)
        : arguments_(arguments)
        , workingFolder_(workingFolder)
    {
    }

    CommandLine read()
    {
        for (next_ = 1; next_ < arguments_.size();) {
            if (std::string error = readOne(); !error.empty())
                return invalid(error);
        }
        return finish();
    }

private:
    std::string readOne()
    {
        const std::string& argument = arguments_[next_++];
        if (argument == "--help" || argument == "-h")
            help_ = true;
        else if (argument == "--version")
            version_ = true;
        else if (argument == "--add")
            add_ = true;
        else if (argument == "--list")
            list_ = true;
        else if (argument == "--json")
            command_.request.json = true;
        else if (argument == "--add-text" || argument == "--pocket" || argument == "--seed-pocket")
            return readValue(argument);
        else if (argument == "--")
            endOfSwitches_ = true;
        else if (isRunSwitch(argument) && !endOfSwitches_)
            run_ = true;
        else if (argument.starts_with("-") && argument != "-" && !endOfSwitches_)
            return "unknown switch " + argument;
        else if (add_ && argument.empty())
            return "an empty path after --add";
        else if (add_)
            command_.request.targets.push_back(targetFrom(argument, workingFolder_));
        else
            return "unexpected argument " + argument + " (paths and links follow --add)";
        return {};
    }

    std::string readValue(const std::string& name)
    {
        if (next_ >= arguments_.size())
            return name + " needs a value";
        const std::string& value = arguments_[next_++];
        if (name == "--add-text")
            command_.request.text = value;
        else if (name == "--pocket")
            command_.request.pocket = value;
        else if (const auto count = parseDecimalInteger(value); !count || *count < 0)
            return "--seed-pocket needs a count of items, not " + value;
        else
            run_ = true;
        return {};
    }

    CommandLine finish()
    {
        if (help_ || version_) {
            command_.action = help_ ? CommandLine::Action::help : CommandLine::Action::version;
            return command_;
        }
        const bool adding = add_ || command_.request.text;
        if (adding && list_)
            return invalid("--add and --list cannot be used together");
        if ((adding || list_) && run_)
            return invalid("--add and --list cannot be combined with the other switches");
        if (add_ && command_.request.targets.empty())
            return invalid("--add needs at least one path or link");
        if (!command_.request.pocket.empty() && !adding)
            return invalid("--pocket goes with --add or --add-text");
        if (command_.request.json && !list_)
            return invalid("--json goes with --list");
        if (command_.request.text && command_.request.text->empty())
            return invalid("--add-text needs a text that is not empty");
        if (adding || list_) {
            command_.action = CommandLine::Action::request;
            command_.request.kind = adding ? PocketRequest::Kind::add : PocketRequest::Kind::list;
            return command_;
        }
        command_.switches = LaunchSwitches::parse(arguments_);
        return command_;
    }

    const std::vector<std::string>& arguments_;
    const std::filesystem::path& workingFolder_;
    std::size_t next_ = 1;
    CommandLine command_;
    bool help_ = false, version_ = false, add_ = false, list_ = false, run_ = false, endOfSwitches_ = false;
};
} // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& arguments, const std::filesystem::path& workingFolder)
{
    return Reader(arguments, workingFolder).read();
}

std::string usageText()
{
    return R"(Usage: kestrane [SWITCH...]
       kestrane --add PATH|URL... [--add-text TEXT] [--pocket NAME]
       kestrane --add-text TEXT [--pocket NAME]
       kestrane --list [--json]

Keeps files, links and text in pockets at the right-hand edge of the screen.
Without switches it starts (or, when a copy runs already, opens its edit mode).

  --add PATH|URL...  put files, folders and links (scheme://... or mailto:) into a pocket,
                     as a drop of them would; a running copy takes them, else they are
                     stored directly
  --add-text TEXT    put a text item into a pocket
  --pocket NAME      the pocket by its name (default: the first pocket)
  --list             print each pocket's items: pocket, item name and path, tab-separated
  --json             with --list: print them as JSON
  --help, -h         print this help
  --version          print the version

  --wayland          show the edge as a native Wayland layer surface (the default in a
                     Wayland session whose compositor has a layer shell)
  --x11              show the edge as an X11 window (XWayland in a Wayland session)

Developer switches: --onboarding (replay the introduction), --reset-pockets,
--seed-pocket N, --unseed-pocket, --print-pockets, --edit, --debug-purge, --debug-frames.

Files:
  $XDG_CONFIG_HOME/Kestrane/defaults.json   settings (default ~/.config)
  $XDG_DATA_HOME/Kestrane/pockets.json      the pockets' items (default ~/.local/share)
  $XDG_DATA_HOME/Kestrane/Payloads/         links, images and texts the pockets keep
  $XDG_CONFIG_HOME/autostart/kestrane.desktop   written by "Open at login"

Exit status: 0 on success, 1 when a request failed, 2 for a command line not understood.
)";
}

std::string versionText()
{
    return std::string("kestrane ") + KESTRANE_VERSION + "\n";
}

} // namespace kestrane
