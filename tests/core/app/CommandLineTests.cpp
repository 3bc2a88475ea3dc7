#include "app/CommandLine.h"

#include <gtest/gtest.h>

using namespace kestrane;

namespace {
CommandLine parse(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "kestrane");
    return CommandLine::parse(arguments, "/home/u/work");
}

using Action = CommandLine::Action;
} // namespace

TEST(CommandLineParsing, SortsTheArgumentsIntoAnActionOrOneErrorLine)
{
    const struct {
        std::vector<std::string> arguments;
        Action action;
        std::string error;
    } cases[] = {
        { {}, Action::run, "" },
        { { "--seed-pocket", "3", "--edit", "--debug-frames" }, Action::run, "" },
        { { "--bogus", "--help" }, Action::invalid, "unknown switch --bogus" },
        { { "--edit", "-h" }, Action::help, "" },
        { { "--version", "--list" }, Action::version, "" },
        { { "stray" }, Action::invalid, "unexpected argument stray (paths and links follow --add)" },
        { { "--add" }, Action::invalid, "--add needs at least one path or link" },
        { { "--add", "a", "--list" }, Action::invalid, "--add and --list cannot be used together" },
        { { "--list", "--edit" }, Action::invalid, "--add and --list cannot be combined with the other switches" },
        { { "--pocket" }, Action::invalid, "--pocket needs a value" },
        { { "--list", "--pocket", "Desk" }, Action::invalid, "--pocket goes with --add or --add-text" },
        { { "--add", "a", "--json" }, Action::invalid, "--json goes with --list" },
        { { "--add-text", "" }, Action::invalid, "--add-text needs a text that is not empty" },
        { { "--list", "--json" }, Action::request, "" },
        { { "--add-text", "hi", "--pocket", "Desk" }, Action::request, "" },
        { { "--add", "a", "" }, Action::invalid, "an empty path after --add" },
        { { "--seed-pocket", "abc" }, Action::invalid, "--seed-pocket needs a count of items, not abc" },
        { { "--seed-pocket", "-2" }, Action::invalid, "--seed-pocket needs a count of items, not -2" },
    };
    for (const auto& c : cases) {
        const CommandLine command = parse(c.arguments);
        EXPECT_EQ(command.action, c.action) << ::testing::PrintToString(c.arguments);
        EXPECT_EQ(command.error, c.error) << ::testing::PrintToString(c.arguments);
    }
    EXPECT_TRUE(parse({ "--seed-pocket", "3", "--edit" }).switches.edit);
}

TEST(CommandLineParsing, AnAddTakesPathsFromTheWorkingFolderAndLinksAsTheyAre)
{
    const CommandLine command = parse({ "--pocket", "Desk", "--add", "a.txt", "../b", "/etc/x", "file:///tmp/a%20b",
        "https://example.org/p?q", "mailto:me@example.org", "notes:today", "--", "--dash", "bad\xFF\xFE.txt", "--add-text", "two\nlines\xC0" });
    ASSERT_EQ(command.action, Action::request);
    const std::vector<std::string> targets { "/home/u/work/a.txt", "/home/u/b", "/etc/x", "/tmp/a b",
        "https://example.org/p?q", "mailto:me@example.org", "/home/u/work/notes:today", "/home/u/work/--dash", "/home/u/work/bad\xFF\xFE.txt" };
    EXPECT_EQ(command.request, (PocketRequest { PocketRequest::Kind::add, "Desk", targets, "two\nlines\xC0", false }));
    // Bytes that are not UTF-8 reach the running copy as they are.
    EXPECT_EQ(PocketRequest::decode(command.request.encode()), command.request);
    for (const char* bad : { "", "[]", "{\"kind\":\"drop\",\"pocket\":\"\",\"targets\":[],\"json\":false}", "{\"kind\":\"add\"}",
             "{\"kind\":\"add\",\"pocket\":\"\",\"targets\":[{\"base64\":\"%\"}],\"json\":false}" })
        EXPECT_EQ(PocketRequest::decode(bad), std::nullopt) << bad;
}
