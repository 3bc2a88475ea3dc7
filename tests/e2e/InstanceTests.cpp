#include "EndToEndTest.h"
#include "SwaySession.h"

#include <algorithm>

namespace kestrane::e2e {
namespace {

namespace fs = std::filesystem;

class Instance : public EndToEndTest {
protected:
    // The test's folders, one variable pointing elsewhere when asked.
    QProcessEnvironment environment(const char* variable = nullptr, const std::string& folder = {}) const
    {
        QProcessEnvironment environment = home.environment(display.name());
        if (variable)
            environment.insert(variable, QString::fromStdString((home.root() / folder).string()));
        return environment;
    }

    std::unique_ptr<ChildProcess> start(const QStringList& arguments, const QProcessEnvironment& environment) const
    {
        const QStringList command = QStringList { KESTRANE_PROGRAM } + arguments;
        return std::make_unique<ChildProcess>(asUser ? SwaySession::asSessionUser(command) : command, environment);
    }

    // The exit status and what the command printed.
    std::pair<int, std::string> run(const QStringList& arguments, const QProcessEnvironment& environment) const
    {
        const auto command = start(arguments, environment);
        std::string output;
        while (auto line = command->readLine(startTimeout))
            output += *line + "\n";
        return { command->waitForExit(eventTimeout).value_or(-1), output };
    }

    // Whether commands run as a user whom file permissions bind (nobody, when the tests run as root).
    bool asUser = false;
};

// Commands that store items queue on the data folder's lock; a copy that starts among them
// waits its turn too and takes the later ones through its socket.
TEST_F(Instance, AddsStartedTogetherAllStoreWithOrWithoutARunningCopy)
{
    home.writeSettings({ desk });
    for (const bool running : { false, true }) {
        if (running)
            program = launch({});
        std::vector<std::unique_ptr<ChildProcess>> adds;
        for (int i = 0; i < 10; ++i)
            adds.push_back(start({ "--add-text", QString("text %1").arg(i) }, environment()));
        for (auto& add : adds)
            EXPECT_EQ(add->waitForExit(milliseconds(30000)), 0) << "with a running copy: " << running;
        std::string listed;
        EXPECT_TRUE(pollUntil([&] { return std::ranges::count(listed = run({ "--list" }, environment()).second, '\n') == (running ? 20 : 10); }, eventTimeout)) << listed;
    }
    EXPECT_TRUE(program->isRunning());
}

TEST_F(Instance, ReadOnlyAndRenamedDataFoldersWork)
{
    home.writeSettings({ desk });
    ASSERT_EQ(run({ "--add-text", "kept" }, environment()).first, 0);
    const fs::path data = home.root() / "data/Kestrane";
    const std::string listed = "Desk\tkept.txt\t" + home.items(desk.id).at(0).file.string() + "\n";
    fs::remove(data / "instance.lock");
    SwaySession::handOver(home.root());
    asUser = true;

    fs::permissions(data, fs::perms::owner_write, fs::perm_options::remove);
    for (const char* runtime : { "runtime", "absent" })
        EXPECT_EQ(run({ "--list" }, environment("XDG_RUNTIME_DIR", runtime)), std::pair(0, listed)) << runtime;
    program = start({ "--print-pockets" }, environment());
    EXPECT_EQ(readReport(*program).size(), 2u);
    EXPECT_EQ(program->stop(), 0);

    fs::permissions(data, fs::perms::owner_write, fs::perm_options::add);
    program = start({ "--print-pockets" }, environment());
    readReport(*program);
    fs::create_directory_symlink(home.root() / "data", home.root() / "alias");
    fs::create_directory(home.root() / "elsewhere");
    fs::permissions(home.root() / "elsewhere", fs::perms::owner_all);
    SwaySession::handOver(home.root() / "elsewhere");
    for (const auto& [variable, folder] : { std::pair("XDG_DATA_HOME", "alias"), { "XDG_RUNTIME_DIR", "elsewhere" } }) {
        EXPECT_EQ(run({}, environment(variable, folder)).first, 0) << variable << " reaches the running copy";
        EXPECT_EQ(run({ "--list" }, environment(variable, folder)), std::pair(0, listed)) << variable;
    }
    EXPECT_TRUE(program->isRunning());
}

} // namespace
} // namespace kestrane::e2e
