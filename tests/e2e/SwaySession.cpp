#include "SwaySession.h"

#include "EndToEndTest.h"

#include <QStandardPaths>

#include <filesystem>

#include <stdexcept>

namespace kestrane::e2e {

SwaySession::SwaySession()
    : WaylandSession("sway")
{
    requireCommon();
    for (const char* program : { "sway", "grim", "wtype" })
        if (QStandardPaths::findExecutable(program).isEmpty())
            throw std::runtime_error(std::string("no ") + program + " here (apt-get install sway grim wtype)");
    // Once the session is up, sway runs the last line with its environment, in which it
    // has put the names of its displays, and the file `names` appears with them.
    testing::writeFile(folder() / "config",
        R"(output HEADLESS-1 resolution 1440x900 position 0 0
xwayland enable
default_border none
default_floating_border none
for_window [app_id=".*"] floating enable
exec cd ")" + folder().path().string()
            + R"(" && echo "$WAYLAND_DISPLAY $DISPLAY" > names.part && mv names.part names
)");
    start("env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c config 2>sway.log", "sway.log");
}

QStringList SwaySession::swaymsg() const
{
    std::filesystem::path socket;
    for (const auto& entry : std::filesystem::directory_iterator(folder().path() / "runtime"))
        if (entry.path().filename().string().starts_with("sway-ipc."))
            socket = entry.path();
    return { "swaymsg", "-s", QString::fromStdString(socket.string()) };
}

void SwaySession::addOutput() const
{
    run(swaymsg() + QStringList { "create_output" });
    run(swaymsg() + QStringList { "output HEADLESS-2 resolution 1440x900 position 1440 0" });
    run(swaymsg() + QStringList { "output * background #FFFFFF solid_color" });
}

std::string SwaySession::windowTree() const
{
    ChildProcess tree(asSessionUser(swaymsg() + QStringList { "-t", "get_tree" }), environment());
    return runToEnd(tree).output;
}

} // namespace kestrane::e2e
