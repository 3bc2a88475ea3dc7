#include "EndToEndTest.h"
#include "SwaySession.h"

#include <algorithm>

namespace kestrane::e2e {
namespace {

namespace fs = std::filesystem;

class Instance : public EndToEndTest {
protected:
    // As a user whom file permissions bind (nobody under root), with `variable` naming
    // `folder` of the test's home when given.
    std::unique_ptr<ChildProcess> start(const QStringList& arguments, const char* variable = "", const char* folder = "") const
    {
        QProcessEnvironment environment = home.environment(display.name());
        if (*variable)
            environment.insert(variable, QString::fromStdString((home.root() / folder).string()));
        return std::make_unique<ChildProcess>(SwaySession::asSessionUser(QStringList { KESTRANE_PROGRAM } + arguments), environment);
    }

    Finished run(const QStringList& arguments, const char* variable = "", const char* folder = "") const
    {
        return runToEnd(*start(arguments, variable, folder), startTimeout);
    }

    void SetUp() override
    {
        home.writeSettings({ desk });
        SwaySession::handOver(home.root());
    }
};

// Commands queue on the data folder's lock; a copy starting among them waits its turn too.
TEST_F(Instance, AddsStartedTogetherAllStoreWithOrWithoutARunningCopy)
{
    for (const bool running : { false, true }) {
        if (running)
            program = start({});
        std::vector<std::unique_ptr<ChildProcess>> adds;
        for (int i = 0; i < 10; ++i)
            adds.push_back(start({ "--add-text", QString("text %1").arg(i) }));
        for (auto& add : adds)
            EXPECT_EQ(add->waitForExit(milliseconds(30000)), 0) << "with a running copy: " << running;
        std::string listed;
        EXPECT_TRUE(pollUntil([&] { return std::ranges::count(listed = run({ "--list" }).output, '\n') == (running ? 20 : 10); }, eventTimeout))
            << listed;
    }
    EXPECT_TRUE(program->isRunning());
}

TEST_F(Instance, ReadOnlyAndRenamedDataFoldersWork)
{
    ASSERT_EQ(run({ "--add-text", "kept" }).status, 0);
    const fs::path data = home.root() / "data/Kestrane";
    const std::string listed = "Desk\tkept.txt\t" + home.items(desk.id).at(0).file.string() + "\n";
    fs::remove(data / "instance.lock");
    fs::create_directory_symlink(home.root() / "data", home.root() / "alias");
    fs::create_directory(home.root() / "elsewhere");
    fs::permissions(home.root() / "elsewhere", fs::perms::owner_all);
    SwaySession::handOver(home.root() / "elsewhere");

    fs::permissions(data, fs::perms::owner_write, fs::perm_options::remove);
    for (const char* runtime : { "runtime", "absent" })
        EXPECT_EQ(run({ "--list" }, "XDG_RUNTIME_DIR", runtime), (Finished { 0, listed })) << runtime;
    program = start({ "--print-pockets" });
    EXPECT_EQ(readReport(*program).size(), 2u);
    EXPECT_EQ(program->stop(), 0);

    fs::permissions(data, fs::perms::owner_write, fs::perm_options::add);
    program = start({ "--print-pockets" });
    readReport(*program);
    for (const auto& [variable, folder] : { std::pair("XDG_DATA_HOME", "alias"), { "XDG_RUNTIME_DIR", "elsewhere" } }) {
        EXPECT_EQ(run({}, variable, folder).status, 0) << variable << " reaches the running copy";
        EXPECT_EQ(run({ "--list" }, variable, folder), (Finished { 0, listed })) << variable;
    }
    EXPECT_TRUE(program->isRunning());
}

} // namespace
} // namespace kestrane::e2e
