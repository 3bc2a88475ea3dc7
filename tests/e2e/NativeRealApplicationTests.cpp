#include "CompositorTest.h"

#include <QStandardPaths>

namespace kestrane::e2e {
namespace {

// A real GTK editor (mousepad) as a native window of a headless sway, at the size and place
// it takes on an empty desktop: centred, its text starting near (405, 248).
class NativeRealApplicationTest : public CompositorTest {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable("mousepad").isEmpty())
            KESTRANE_CANNOT_RUN("mousepad is not installed (apt-get install mousepad)");
        CompositorTest::SetUp();
    }

    std::unique_ptr<ChildProcess> launchEditor(const std::filesystem::path& file)
    {
        QProcessEnvironment environment = session->environment();
        environment.insert("GDK_BACKEND", "wayland");
        environment.insert("NO_AT_BRIDGE", "1");
        auto editor = std::make_unique<ChildProcess>(WaylandSession::asSessionUser({ "mousepad", QString::fromStdString(file.string()) }),
            environment, ChildProcess::Diagnostics::discarded);
        if (!pollUntil([&] { return qGray(session->screenshot().pixel(textAt.x() + 200, textAt.y() + 100)) > 240; }, startTimeout))
            throw std::runtime_error("mousepad did not show");
        return editor;
    }

    static constexpr QPoint textAt { 410, 248 };
    IsolatedHome home;
};

INSTANTIATE_TEST_SUITE_P(Compositors, NativeRealApplicationTest, ::testing::Values("sway"),
    [](const auto& compositor) { return std::string(compositor.param); });

// Text selected in the editor and dragged onto the pocket is stored there; a drawer's row
// dragged into the editor opens there as a document under the item's name.
TEST_P(NativeRealApplicationTest, TextDraggedFromAnEditorIsStoredAndARowDraggedIntoItOpens)
{
    const auto file = home.root() / "note.txt";
    testing::writeFile(file, "words from mousepad");
    home.writeSettings({ desk });
    WaylandSession::handOver(home.root());
    const auto editor = launchEditor(file);
    ChildProcess program(
        WaylandSession::asSessionUser({ WaylandSession::staged(KESTRANE_PROGRAM), "--wayland", "--seed-pocket", "2", "--print-pockets" }),
        session->environment(home.environment({})));
    const int pocketY = pocketYs(readReport(program)).at(desk.id);

    session->drag({ textAt.x() - 8, textAt.y() }, { textAt.x() + 200, textAt.y() });
    session->drag(textAt, { 1436, pocketY });
    std::vector<StoredItem> items;
    EXPECT_TRUE(pollUntil([&] { return (items = home.items(desk.id)).size() == 3; }, eventTimeout)) << items.size() << " items";
    EXPECT_EQ(items.size() == 3 ? testing::readFile(items[2].file) : "", "words from mousepad");

    session->input("move", 1425, pocketY);
    session->input("click", 1425, pocketY);
    ASSERT_TRUE(pollUntil([&] { return qGray(session->screenshot().pixel(1250, pocketY)) < 30; }, eventTimeout)) << "the drawer opens";
    session->drag({ 1300, pocketY - 12 }, { 700, 500 });
    const auto& sway = dynamic_cast<const SwaySession&>(*session);
    // The editor's title names the document it opened: the item's file, handed out.
    const auto opened = [&] {
        const std::string tree = sway.windowTree();
        const auto at = tree.find(".txt - Mousepad\"");
        return at != std::string::npos && tree.rfind("kestrane-handout", at) != std::string::npos
            && tree.rfind("Seeded item ", at) != std::string::npos;
    };
    EXPECT_TRUE(pollUntil(opened, eventTimeout)) << "the editor opens the item under its name";
}

} // namespace
} // namespace kestrane::e2e
