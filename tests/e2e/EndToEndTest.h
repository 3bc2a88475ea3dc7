#pragma once

#include "ChildProcess.h"
#include "IsolatedHome.h"
#include "Pointer.h"
#include "TextPatch.h"
#include "XvfbDisplay.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace kestrane::e2e {

// The waits of every end-to-end test, under X and under Wayland.
constexpr milliseconds startTimeout { 15000 };
constexpr milliseconds eventTimeout { 5000 };
// How long a click or a drop is given to arrive before it is taken not to come.
constexpr milliseconds absenceWait { 600 };
// A point of the edge of either session's 1440-point-wide screen.
constexpr int edgeX = XvfbDisplay::width - 10;
// One pocket halfway down the edge.
inline const StoredPocket desk { "5C7E2A90-1B3D-4F68-8A4C-D2E6F0B91357", "Desk", 0.5 };

// Where edit mode's plus bulge swells out of the edge: its white glyph sits in the middle of
// the box, so only most of it turns dark.
constexpr int plusLeft = XvfbDisplay::width - 14;
// The share of dark points in the box of the plus bulge's size left at `left`.
double darkShare(const QImage& screen, int left);

// A test that cannot run here skips with one line saying why; where the machine was set up
// for the end-to-end tests (KESTRANE_E2E_REQUIRED set, as CI does) it fails instead.
bool endToEndRequired();
#define KESTRANE_CANNOT_RUN(reason)                                                                                                        \
    do {                                                                                                                                   \
        if (::kestrane::e2e::endToEndRequired())                                                                                           \
            GTEST_FAIL() << reason;                                                                                                        \
        else                                                                                                                               \
            GTEST_SKIP() << reason;                                                                                                        \
    } while (false)

// The report of a program started with "--print-pockets", up to and including its SCREEN line.
std::vector<std::string> readReport(ChildProcess& program);
// The height of each pocket in the report, by its id.
std::map<std::string, int> pocketYs(const std::vector<std::string>& report);
// The height of the one pocket in the report.
int pocketY(const std::vector<std::string>& report);

// What a program run to its end printed on its standard output, and its exit status
// (-1 when it did not end in time).
struct Finished {
    int status = -1;
    std::string output;
    bool operator==(const Finished&) const = default;
    friend void PrintTo(const Finished& finished, std::ostream* out)
    {
        *out << "status " << finished.status << ", output " << finished.output;
    }
};
// Reads the program's output until it ends, waiting up to `lineTimeout` for each line.
Finished runToEnd(ChildProcess& program, milliseconds lineTimeout = eventTimeout);

// Each test gets its own X server, compositor and settings, data and runtime folders.
// Programs a test starts are stopped when it ends, before the server goes.
class EndToEndTest : public ::testing::Test {
protected:
    // On the test display, or under another name for it.
    std::unique_ptr<ChildProcess> launch(const QStringList& arguments, const std::string& displayName = {}) const;
    // Launches into `program` with "--print-pockets" added and answers the lines of its
    // report, up to and including the SCREEN line.
    std::vector<std::string> launchAndReport(const QStringList& arguments);
    // Stores the one pocket `desk`, launches the program into `program` with these
    // arguments and answers the pocket's height on the screen from the report.
    int launchWithDesk(const QStringList& arguments);
    // One whole run: launch, wait for the report, quit with SIGTERM and expect a clean exit.
    std::vector<std::string> runOnce(const QStringList& arguments);
    // Writes a file of this name, holding its name, into the test's folder; answers its path.
    QString file(const std::string& name) const;
    // The drag peer in one of its modes, once its window is on the screen.
    std::unique_ptr<ChildProcess> launchPeer(const QStringList& arguments) const;

    // Drags what a drag peer in these arguments offers from its window onto the pocket at
    // this height, and expects the edge to take it as a copy. The peer is handed back: the
    // program may still read what it offered.
    std::unique_ptr<ChildProcess> dragOntoPocket(int pocketY, const QStringList& peerArguments);

    // Moves the pointer to (x, y) and keeps it there, wiggling by a point, until the
    // taker's window takes the pointer (the overlay follows the pointer a frame or so
    // later, and looks at it only when it moves); false if it never did.
    bool hoverUntilTaken(const ChildProcess& taker, int x, int y);
    // Clicks the pocket at this height, opening its drawer, once the overlay takes the
    // pointer there; false if it never did.
    bool clickPocket(int pocketY);
    // Carries the drag under way to (x, y) and drops it there once `target`'s window takes
    // the pointer; false, with the button still held, if it never did.
    bool dropOnto(const ChildProcess& target, int x, int y);
    // Waits until the overlay takes the pointer in the middle of the screen, as edit mode's
    // and an open drawer's backdrop do, or (`shown` false) no longer takes it.
    bool awaitBackdrop(bool shown, milliseconds timeout = eventTimeout);
    // Waits until a window of this program has the keyboard focus.
    bool awaitFocus(const ChildProcess& owner) const;
    // The brightness and contrast of the "clicks lines" peer's patch once the screen shows it.
    std::pair<double, double> shownTextPatch() const;
    // Clicks at `at` and answers whether a peer in "clicks" mode reported that click in time.
    bool clickReaches(ChildProcess& peer, QPoint at, milliseconds wait);
    // Expects every band's text to read against what lies behind it on the screen within the
    // timeout; `desktop` names that background in the failure.
    void expectReadable(const std::vector<TextBand>& texts, const char* desktop, milliseconds timeout) const;

    XvfbDisplay display;
    IsolatedHome home;
    Pointer pointer { display };
    std::unique_ptr<ChildProcess> program;
};

} // namespace kestrane::e2e
