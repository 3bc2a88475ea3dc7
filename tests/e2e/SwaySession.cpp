#include "SwaySession.h"

#include <QLibraryInfo>
#include <QStandardPaths>

#include <fstream>
#include <optional>
#include <stdexcept>
#include <string_view>

#include <pwd.h>
#include <unistd.h>

namespace kestrane::e2e {

namespace {

// The unprivileged user that sway and its clients run as under root.
const passwd* sessionUser()
{
    return ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
}

QString text(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

std::optional<std::string> unavailable()
{
    if (std::string_view(KESTRANE_WAYLAND_INPUT).empty())
        return "kestrane_wayland_input was not built (no wayland-client or wayland-scanner)";
    for (const char* program : { "sway", "Xwayland", "grim" })
        if (QStandardPaths::findExecutable(program).isEmpty())
            return std::string("no ") + program + " here (apt-get install sway xwayland grim qt6-wayland)";
    if (!std::filesystem::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString() + "/platforms/libqwayland-generic.so"))
        return "no Qt Wayland platform plugin here (apt-get install qt6-wayland)";
    if (::geteuid() == 0 && !sessionUser())
        return "sway refuses to run as root and there is no user \"nobody\" to run it as";
    const QString program = SwaySession::staged(KESTRANE_PROGRAM);
    ChildProcess probe(SwaySession::asSessionUser({ "test", "-x", program }), QProcessEnvironment::systemEnvironment());
    if (probe.waitForExit(milliseconds(5000)) != 0)
        return "the user sway runs as cannot run " + program.toStdString() + " (a private temporary folder?)";
    return std::nullopt;
}

// Where the programs are staged, open to every user; removed when the tests end.
const std::filesystem::path& stagingFolder()
{
    static const testing::TemporaryFolder folder;
    static const bool open = [] {
        using std::filesystem::perms;
        std::filesystem::permissions(
            folder.path(), perms::owner_all | perms::group_read | perms::group_exec | perms::others_read | perms::others_exec);
        return true;
    }();
    (void)open;
    return folder.path();
}

} // namespace

QString SwaySession::staged(const char* program)
{
    const std::filesystem::path source(program);
    const std::filesystem::path copy = stagingFolder() / source.filename();
    if (!std::filesystem::exists(copy))
        std::filesystem::copy_file(source, copy);
    return text(copy);
}

QStringList SwaySession::asSessionUser(const QStringList& command)
{
    const passwd* user = sessionUser();
    if (!user)
        return command;
    // Changing user clears the parent-death signal: setpriv sets it again.
    return QStringList { "setpriv", QString("--reuid=%1").arg(user->pw_uid), QString("--regid=%1").arg(user->pw_gid), "--clear-groups",
        "--pdeathsig=TERM" }
    + command;
}

void SwaySession::handOver(const std::filesystem::path& folder)
{
    if (sessionUser()
        && ChildProcess({ "chown", "-R", "nobody:", text(folder) }, QProcessEnvironment::systemEnvironment()).waitForExit(milliseconds(5000))
            != 0)
        throw std::runtime_error("cannot hand " + folder.string() + " over to the session's user");
}

SwaySession::SwaySession()
{
    if (const auto reason = unavailable())
        throw std::runtime_error(*reason);
    std::filesystem::create_directories(folder_ / "home");
    std::filesystem::create_directories(folder_ / "runtime");
    std::filesystem::permissions(folder_ / "runtime", std::filesystem::perms::owner_all);
    // Once the session is up, sway runs the last line with its environment, in which it
    // has put the names of its displays, and the file `names` appears with them.
    testing::writeFile(folder_ / "config",
        R"(output HEADLESS-1 resolution 1440x900 position 0 0
xwayland enable
default_border none
default_floating_border none
for_window [app_id=".*"] floating enable
exec cd ")" + folder_.path().string()
            + R"(" && echo "$WAYLAND_DISPLAY $DISPLAY" > names.part && mv names.part names
)");
    handOver(folder_.path());

    // sway's log goes to a file in its folder, shown when it does not start.
    const QString start = "cd \"$0\" && unset WAYLAND_DISPLAY DISPLAY && exec env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 "
                          "WLR_RENDERER=pixman sway -c config 2>sway.log";
    sway_ = std::make_unique<ChildProcess>(asSessionUser({ "sh", "-c", start, text(folder_.path()) }), ownEnvironment());

    const std::filesystem::path names = folder_ / "names";
    if (!pollUntil([&] { return std::filesystem::exists(names) || !sway_->isRunning(); }, milliseconds(15000))
        || !std::filesystem::exists(names))
        throw std::runtime_error("sway did not start: " + logTail());
    std::ifstream(names) >> waylandName_ >> xName_;
    if (xName_.empty())
        throw std::runtime_error("sway started without XWayland: " + logTail());
}

QProcessEnvironment SwaySession::ownEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", text(folder_ / "home"));
    environment.insert("XDG_RUNTIME_DIR", text(folder_ / "runtime"));
    return environment;
}

QProcessEnvironment SwaySession::environment(QProcessEnvironment base) const
{
    base.insert("WAYLAND_DISPLAY", text(folder_ / "runtime" / waylandName_));
    base.insert("DISPLAY", QString::fromStdString(xName_));
    base.insert("XDG_SESSION_TYPE", "wayland");
    return base;
}

void SwaySession::run(const QStringList& command) const
{
    ChildProcess process(asSessionUser(command), environment());
    if (process.waitForExit(milliseconds(20000)) != 0)
        throw std::runtime_error(
            command.join(' ').toStdString() + " failed" + (sway_->isRunning() ? "" : ": sway is gone, its log ends with " + logTail()));
}

void SwaySession::input(const char* step, int x, int y) const
{
    run({ staged(KESTRANE_WAYLAND_INPUT), step, QString::number(x), QString::number(y), QString::number(width), QString::number(height) });
}

QImage SwaySession::screenshot() const
{
    const std::filesystem::path file = folder_ / "home/screen.ppm";
    run({ "grim", "-t", "ppm", text(file) });
    return QImage(text(file));
}

std::string SwaySession::logTail() const
{
    std::ifstream log(folder_ / "sway.log");
    std::string line, last = "(sway wrote nothing)";
    while (std::getline(log, line))
        if (!line.empty())
            last = line;
    return last;
}

} // namespace kestrane::e2e
