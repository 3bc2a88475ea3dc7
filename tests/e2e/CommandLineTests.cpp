#include "EndToEndTest.h"

#include <nlohmann/json.hpp>

#include <csignal>
#include <set>
#include <sys/stat.h>

namespace kestrane::e2e {
namespace {

class Command : public EndToEndTest {
protected:
    // Runs the program to its end with these arguments; without a display when asked.
    Finished run(const QStringList& arguments, bool withDisplay = true)
    {
        QProcessEnvironment environment = home.environment(display.name());
        if (!withDisplay)
            environment.remove("DISPLAY");
        ChildProcess command(QStringList { KESTRANE_PROGRAM } + arguments, environment, ChildProcess::Diagnostics::discarded);
        return runToEnd(command);
    }

    std::vector<std::string> deskNames() const
    {
        std::vector<std::string> names;
        for (const StoredItem& item : home.items(desk.id))
            names.push_back(item.name);
        return names;
    }
};

TEST_F(Command, HelpAndVersionNeedNoDisplayAndAnUnknownSwitchExitsTwo)
{
    const Finished help = run({ "--help" }, false);
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.output.starts_with("Usage: kestrane") && help.output.find("--add PATH|URL") != std::string::npos) << help.output;
    EXPECT_EQ(run({ "--version" }, false).output, "kestrane 0.1\n");
    const Finished unknown = run({ "--frobnicate" }, false);
    EXPECT_EQ(std::pair(unknown.status, unknown.output), std::pair(2, std::string())) << "usage goes to standard error";
    // A screen the display does not have is a line and status 1, not an abort.
    EXPECT_EQ(launch({}, display.name() + ".7")->waitForExit(eventTimeout), 1);
}

// Files, a link and a text, by the pocket's name; a missing path stores nothing at all.
TEST_F(Command, AddStoresWithoutARunningCopyAndListPrintsTheIndex)
{
    home.writeSettings({ desk });
    EXPECT_EQ(run({ "--add", file("a.txt"), "/nonexistent/b", "https://example.org/page" }).status, 1);
    EXPECT_TRUE(home.items(desk.id).empty());

    EXPECT_EQ(run({ "--add", file("a.txt"), file("b.txt"), "https://example.org/page", "--pocket", "Desk" }, false).status, 0);
    EXPECT_EQ(run({ "--add-text", "two words\nmore" }, false).status, 0);
    EXPECT_EQ(deskNames(), (std::vector<std::string> { "a.txt", "b.txt", "example.org.webloc", "two words.txt" }));
    EXPECT_EQ(run({ "--add", file("c.txt"), "--pocket", "Attic" }).status, 1);

    const auto items = home.items(desk.id);
    const Finished listed = run({ "--list" }, false);
    EXPECT_EQ(listed.output.substr(0, listed.output.find('\n')), "Desk\ta.txt\t" + file("a.txt").toStdString());
    const auto json = nlohmann::json::parse(run({ "--list", "--json" }, false).output);
    EXPECT_EQ(json.at(0).at("name"), "Desk");
    EXPECT_EQ(json.at(0).at("items").at(2).at("path"), items[2].file.string());

    // A pipe is no item; names are listed one line each, and a renamed file where it is now.
    ASSERT_EQ(::mkfifo((home.root() / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(run({ "--add", QString::fromStdString((home.root() / "pipe").string()) }, false).status, 1);
    EXPECT_EQ(run({ "--add", file("tab\tand\nline.txt") }, false).status, 0);
    std::filesystem::rename(home.root() / "a.txt", home.root() / "renamed.txt");
    const std::string relisted = run({ "--list" }, false).output;
    EXPECT_EQ(std::count(relisted.begin(), relisted.end(), '\n'), 5) << relisted;
    EXPECT_TRUE(relisted.starts_with("Desk\ta.txt\t" + (home.root() / "renamed.txt").string() + "\n")) << relisted;
    EXPECT_TRUE(relisted.ends_with("\ttab\\tand\\nline.txt\t" + (home.root() / "tab\\tand\\nline.txt").string() + "\n")) << relisted;

    // An index that cannot be read takes nothing and is left as it is, with no file written.
    const auto payloads = home.root() / "data/Kestrane/Payloads";
    const auto filesBefore = std::distance(std::filesystem::directory_iterator(payloads), {});
    testing::writeFile(home.root() / "data/Kestrane/pockets.json", "{");
    EXPECT_EQ(run({ "--add-text", "lost" }, false).status, 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(payloads), {}), filesBefore);
    EXPECT_EQ(testing::readFile(home.root() / "data/Kestrane/pockets.json"), "{");
}

TEST_F(Command, AddGoesThroughTheRunningCopy)
{
    launchWithDesk({});
    EXPECT_EQ(run({ "--add", file("a.txt"), file("b.txt"), "mailto:me@example.org" }).status, 0);
    // Answered only once the index is on disk.
    EXPECT_EQ(deskNames(), (std::vector<std::string> { "a.txt", "b.txt", "Link.webloc" }));
    EXPECT_EQ(run({ "--add", file("c.txt"), "/nonexistent" }).status, 1);
    const std::string listed = run({ "--list" }).output;
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 3);
    EXPECT_TRUE(listed.starts_with("Desk\ta.txt\t" + file("a.txt").toStdString() + "\n")) << listed;
    EXPECT_TRUE(program->isRunning());

    // A name that is not UTF-8 reaches the running copy as the file system's bytes and is
    // kept by its reference, shown with replacement characters.
    testing::writeFile(home.root() / "bad\xFF\xFE.txt", "bad");
    // Arguments given to a process through Qt are text: the shell makes the bytes.
    ChildProcess add({ "sh", "-c", "exec \"$0\" --add \"$1/$(printf 'bad\\377\\376.txt')\"", KESTRANE_PROGRAM,
                         QString::fromStdString(home.root().string()) },
        home.environment(display.name()));
    EXPECT_EQ(add.waitForExit(eventTimeout), 0);
    EXPECT_EQ(deskNames().back(), "bad\xEF\xBF\xBD\xEF\xBF\xBD.txt");
    const auto index = nlohmann::json::parse(testing::readFile(home.root() / "data/Kestrane/pockets.json"));
    EXPECT_TRUE(index.at(desk.id).back().at("payload").contains("reference")) << index.dump();
}

// Every add the running copy answered is on disk, whenever it is killed.
TEST_F(Command, AnAnsweredAddSurvivesAKillOfTheRunningCopy)
{
    std::set<std::string> answered;
    for (int round = 0; round < 3; ++round) {
        launchWithDesk({});
        std::vector<std::pair<std::string, std::unique_ptr<ChildProcess>>> adds;
        for (int i = 0; i < 16; ++i) {
            const std::string text = "note " + std::to_string(round) + "." + std::to_string(i);
            adds.emplace_back(text,
                std::make_unique<ChildProcess>(QStringList { KESTRANE_PROGRAM, "--add-text", QString::fromStdString(text) },
                    home.environment(display.name()), ChildProcess::Diagnostics::discarded));
            if (i == 10 + round)
                ::kill(program->pid(), SIGKILL);
        }
        for (auto& [text, add] : adds) {
            if (add->waitForExit(milliseconds(20000)) == 0)
                answered.insert(text);
        }
        program->stop();
    }
    std::set<std::string> stored;
    for (const StoredItem& item : home.items(desk.id))
        stored.insert(testing::readFile(item.file));
    EXPECT_GE(answered.size(), 10u);
    for (const std::string& text : answered)
        EXPECT_TRUE(stored.contains(text)) << text << " was answered but is not stored";
}

// The Nautilus script as Nautilus runs it: the selection one path a line, in its environment.
TEST_F(Command, TheFileManagerScriptAddsTheSelection)
{
    home.writeSettings({ desk });
    std::filesystem::create_directories(home.root() / "bin");
    std::filesystem::create_symlink(KESTRANE_PROGRAM, home.root() / "bin/kestrane");
    QProcessEnvironment environment = home.environment(display.name());
    environment.insert("NAUTILUS_SCRIPT_SELECTED_FILE_PATHS", file("one two.txt") + "\n" + file("three.txt") + "\n");
    ChildProcess script({ KESTRANE_PACKAGING "/file-managers/Put in a pocket" }, environment);
    EXPECT_EQ(script.waitForExit(eventTimeout), 0);
    EXPECT_EQ(deskNames(), (std::vector<std::string> { "one two.txt", "three.txt" }));
}

} // namespace
} // namespace kestrane::e2e
