#include "PreferencesFixture.h"

using namespace kestrane;
using namespace kestrane::testing;
namespace fs = std::filesystem;

using LoginItemTest = PreferencesTest;

TEST_F(LoginItemTest, RegisteringWritesAnEnabledEntryThatTheDesktopMaySwitchOff)
{
    EXPECT_EQ(loginItems.status(), LoginState::off());
    EXPECT_FALSE(loginItems.registerItem());
    EXPECT_EQ(readFile(autostartEntry()), "[Desktop Entry]\nType=Application\nName=Kestrane\n"
                                          "Exec=/usr/bin/kestrane\nX-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(loginItems.status(), LoginState::on());

    const std::pair<std::string, LoginState> entries[] = {
        { "[Desktop Entry]\nExec=kestrane\nHidden=true\n", LoginState::needsApproval() },
        { "# off\r\n[Desktop Entry]\r\nX-GNOME-Autostart-enabled = false\r\n", LoginState::needsApproval() },
        { "[Desktop Entry]\nHidden=false\nX-GNOME-Autostart-enabled=true\n", LoginState::on() },
        // Only the main group counts.
        { "[Desktop Entry]\nExec=kestrane\n[Desktop Action Quit]\nHidden=true\n", LoginState::on() },
        { "Exec=kestrane\n", LoginState::failed(autostartEntry().string() + " is not a desktop entry.") },
    };
    for (const auto& [contents, state] : entries) {
        writeFile(autostartEntry(), contents);
        EXPECT_EQ(loginItems.status(), state) << contents;
    }
    EXPECT_FALSE(loginItems.unregisterItem());
    EXPECT_EQ(loginItems.status(), LoginState::off());
    EXPECT_FALSE(loginItems.unregisterItem());

    const std::string quoted = XdgAutostartLoginItem::entryContents("/home/a b/50%/\"k$\"");
    EXPECT_NE(quoted.find("\nExec=\"/home/a b/50%%/\\\\\"k\\\\$\\\\\"\"\n"), std::string::npos) << quoted;
}

TEST_F(LoginItemTest, FailuresSayWhatCouldNotBeDone)
{
    writeFile(config / "autostart", "a file where the folder belongs");
    EXPECT_EQ(loginItems.registerItem().value_or(LoginItemFailure {}).message.rfind("Could not create the folder " + (config / "autostart").string() + ": ", 0), 0u);
    EXPECT_EQ(loginItems.status(), LoginState::off());
    EXPECT_FALSE(loginItems.unregisterItem());
    fs::remove(config / "autostart");

    fs::create_directories(autostartEntry() / "a folder where the entry belongs");
    EXPECT_EQ(loginItems.status().message.rfind("Could not read " + autostartEntry().string() + ": ", 0), 0u);
    EXPECT_TRUE(loginItems.registerItem() && loginItems.unregisterItem());

    XdgAutostartLoginItem homeless("/usr/bin/kestrane", std::nullopt);
    EXPECT_TRUE(homeless.status().kind == LoginState::Kind::failed && homeless.registerItem());
}
