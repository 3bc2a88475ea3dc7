#include "WaylandSession.h"

#include <QProcess>

#include <QLibraryInfo>
#include <QStandardPaths>

#include <fstream>
#include <stdexcept>
#include <string_view>

#include <pwd.h>
#include <unistd.h>

namespace kestrane::e2e {

namespace {

// The unprivileged user that the compositor and its clients run as under root.
const passwd* sessionUser()
{
    return ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
}

QString text(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
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

WaylandSession::WaylandSession(std::string name)
    : name_(std::move(name))
{
}

void WaylandSession::requireCommon()
{
    if (std::string_view(KESTRANE_WAYLAND_INPUT).empty())
        throw std::runtime_error("kestrane_wayland_input was not built (no wayland-client or wayland-scanner)");
    if (QStandardPaths::findExecutable("Xwayland").isEmpty())
        throw std::runtime_error("no Xwayland here (apt-get install xwayland)");
    if (!std::filesystem::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString() + "/platforms/libqwayland-generic.so"))
        throw std::runtime_error("no Qt Wayland platform plugin here (apt-get install qt6-wayland)");
    if (::geteuid() == 0 && !sessionUser())
        throw std::runtime_error("the session must not run as root and there is no user \"nobody\" to run it as");
    const QString program = staged(KESTRANE_PROGRAM);
    ChildProcess probe(asSessionUser({ "test", "-x", program }), QProcessEnvironment::systemEnvironment());
    if (probe.waitForExit(milliseconds(5000)) != 0)
        throw std::runtime_error("the session's user cannot run " + program.toStdString() + " (a private temporary folder?)");
}

QString WaylandSession::staged(const char* program)
{
    const std::filesystem::path source(program);
    const std::filesystem::path copy = stagingFolder() / source.filename();
    if (!std::filesystem::exists(copy))
        std::filesystem::copy_file(source, copy);
    return text(copy);
}

QStringList WaylandSession::asSessionUser(const QStringList& command)
{
    const passwd* user = sessionUser();
    if (!user)
        return command;
    // Changing user clears the parent-death signal: setpriv sets it again.
    return QStringList { "setpriv", QString("--reuid=%1").arg(user->pw_uid), QString("--regid=%1").arg(user->pw_gid), "--clear-groups",
        "--pdeathsig=TERM" }
    + command;
}

void WaylandSession::handOver(const std::filesystem::path& folder)
{
    if (sessionUser()
        && ChildProcess({ "chown", "-R", "nobody:", text(folder) }, QProcessEnvironment::systemEnvironment()).waitForExit(milliseconds(5000))
            != 0)
        throw std::runtime_error("cannot hand " + folder.string() + " over to the session's user");
}

// A compositor under dbus-run-session outlives its parent's end, and keeps an XWayland
// display number with it: every process named with the session's folder is ended.
WaylandSession::~WaylandSession()
{
    const QString folder = text(folder_.path());
    QProcess::execute("pkill", { "-TERM", "-f", folder });
    const auto anyLeft = [&] {
        QProcess search;
        search.setStandardOutputFile(QProcess::nullDevice());
        search.start("pgrep", { "-f", folder });
        return search.waitForFinished() && search.exitCode() == 0;
    };
    if (!pollUntil([&] { return !anyLeft(); }, milliseconds(3000)))
        QProcess::execute("pkill", { "-KILL", "-f", folder });
}

std::string WaylandSession::start(const QString& command, const char* log)
{
    std::filesystem::create_directories(folder_ / "home");
    std::filesystem::create_directories(folder_ / "runtime");
    std::filesystem::permissions(folder_ / "runtime", std::filesystem::perms::owner_all);
    handOver(folder_.path());
    log_ = folder_ / log;
    compositor_ = std::make_unique<ChildProcess>(
        asSessionUser({ "sh", "-c", "cd \"$0\" && unset WAYLAND_DISPLAY DISPLAY && exec " + command, text(folder_.path()) }),
        ownEnvironment());

    const std::filesystem::path names = folder_ / "names";
    if (!pollUntil([&] { return std::filesystem::exists(names) || !compositor_->isRunning(); }, milliseconds(20000))
        || !std::filesystem::exists(names))
        throw std::runtime_error(name_ + " did not start: " + logTail());
    std::ifstream file(names);
    std::string rest;
    file >> waylandName_ >> xName_ >> std::ws;
    std::getline(file, rest);
    if (xName_.empty())
        throw std::runtime_error(name_ + " started without XWayland: " + logTail());
    return rest;
}

QProcessEnvironment WaylandSession::ownEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", text(folder_ / "home"));
    environment.insert("XDG_RUNTIME_DIR", text(folder_ / "runtime"));
    return environment;
}

QProcessEnvironment WaylandSession::environment(QProcessEnvironment base) const
{
    base.insert("WAYLAND_DISPLAY", text(folder_ / "runtime" / waylandName_));
    base.insert("DISPLAY", QString::fromStdString(xName_));
    base.insert("XDG_SESSION_TYPE", "wayland");
    return base;
}

void WaylandSession::run(const QStringList& command) const
{
    ChildProcess process(asSessionUser(command), environment());
    if (process.waitForExit(milliseconds(20000)) != 0)
        throw std::runtime_error(command.join(' ').toStdString() + " failed"
            + (compositor_->isRunning() ? "" : ": " + name_ + " is gone, its log ends with " + logTail()));
}

void WaylandSession::input(const char* step, int x, int y, QSize layout) const
{
    run({ staged(KESTRANE_WAYLAND_INPUT), step, QString::number(x), QString::number(y), QString::number(layout.width()),
        QString::number(layout.height()) });
}

void WaylandSession::drag(QPoint from, QPoint to) const
{
    run({ staged(KESTRANE_WAYLAND_INPUT), "drag", QString::number(from.x()), QString::number(from.y()), QString::number(to.x()),
        QString::number(to.y()), QString::number(width), QString::number(height) });
}

QImage WaylandSession::picture(const QStringList& command) const
{
    const std::filesystem::path file = folder_ / "home/screen.ppm";
    run(command + QStringList { text(file) });
    return QImage(text(file));
}

std::string WaylandSession::logTail() const
{
    std::ifstream log(log_);
    std::string line, last = "(" + name_ + " wrote nothing)";
    while (std::getline(log, line))
        if (!line.empty())
            last = line;
    return last;
}

} // namespace kestrane::e2e
