#include "TemporaryFolder.h"
#include "preferences/XdgAutostartLoginItem.h"

#include <gtest/gtest.h>

using namespace kestrane;
using kestrane::testing::readFile;
using kestrane::testing::writeFile;
namespace fs = std::filesystem;

namespace {
class LoginItemTest : public ::testing::Test {
protected:
    fs::path entry() const { return config / "autostart" / "kestrane.desktop"; }
    LoginState statusWith(const std::string& contents)
    {
        fs::create_directories(entry().parent_path());
        writeFile(entry(), contents);
        return item.status();
    }

    kestrane::testing::TemporaryFolder config;
    XdgAutostartLoginItem item { "/opt/kestrane/bin/kestrane", config.path() };
};
} // namespace

TEST_F(LoginItemTest, RegisteringWritesAnEnabledEntryAndUnregisteringRemovesIt)
{
    EXPECT_EQ(item.status(), LoginState::off());
    EXPECT_FALSE(item.registerItem());
    EXPECT_EQ(readFile(entry()), "[Desktop Entry]\nType=Application\nName=Kestrane\n"
                                 "Exec=/opt/kestrane/bin/kestrane\nX-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(item.status(), LoginState::on());

    EXPECT_FALSE(item.unregisterItem());
    EXPECT_EQ(item.status(), LoginState::off());
    EXPECT_FALSE(item.unregisterItem());
}

TEST_F(LoginItemTest, AnEntryTheDesktopSwitchedOffNeedsApproval)
{
    EXPECT_EQ(statusWith("[Desktop Entry]\nExec=kestrane\nHidden=true\n"), LoginState::needsApproval());
    EXPECT_EQ(statusWith("# off\r\n[Desktop Entry]\r\nX-GNOME-Autostart-enabled = false\r\n"), LoginState::needsApproval());
    EXPECT_EQ(statusWith("[Desktop Entry]\nHidden=false\nX-GNOME-Autostart-enabled=true\n"), LoginState::on());
    // Only the main group counts.
    EXPECT_EQ(statusWith("[Desktop Entry]\nExec=kestrane\n[Desktop Action Quit]\nHidden=true\n"), LoginState::on());
    EXPECT_EQ(statusWith("Exec=kestrane\n"), LoginState::failed(entry().string() + " is not a desktop entry."));
}

TEST_F(LoginItemTest, FailuresSayWhatCouldNotBeDone)
{
    writeFile(config / "autostart", "a file where the folder belongs");
    const auto refused = item.registerItem();
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->message.rfind("Could not create the folder " + (config / "autostart").string() + ": ", 0), 0u);
    EXPECT_EQ(item.status(), LoginState::off());
    EXPECT_FALSE(item.unregisterItem());
    fs::remove(config / "autostart");

    fs::create_directories(entry() / "a folder where the entry belongs");
    EXPECT_EQ(item.status().message.rfind("Could not read " + entry().string() + ": ", 0), 0u);
    EXPECT_TRUE(item.registerItem());
    EXPECT_TRUE(item.unregisterItem());

    XdgAutostartLoginItem homeless("/usr/bin/kestrane", std::nullopt);
    EXPECT_EQ(homeless.status().kind, LoginState::Kind::failed);
    EXPECT_TRUE(homeless.registerItem());
}

TEST(LoginItemEntryTest, AProgramPathWithReservedCharactersIsQuotedForExec)
{
    const std::string contents = XdgAutostartLoginItem::entryContents("/home/a b/50%/\"k$\"");
    EXPECT_NE(contents.find("\nExec=\"/home/a b/50%%/\\\\\"k\\\\$\\\\\"\"\n"), std::string::npos) << contents;
}
