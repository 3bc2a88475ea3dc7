#include "TemporaryFolder.h"
#include "platform/JsonFileDefaults.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <optional>

using namespace kestrane;
using kestrane::testing::readFile;
using kestrane::testing::TemporaryFolder;
using kestrane::testing::writeFile;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {
std::vector<fs::path> setAsideFiles(const fs::path& folder)
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with("defaults.json.unreadable-"))
            found.push_back(entry.path());
    }
    return found;
}

std::string nested(int depth) { return std::string(depth, '[') + std::string(depth, ']'); }

// What `action` writes to standard error.
template <typename Action> std::string stderrOf(Action action)
{
    ::testing::internal::CaptureStderr();
    action();
    return ::testing::internal::GetCapturedStderr();
}

long lineCount(const std::string& log) { return std::count(log.begin(), log.end(), '\n'); }
} // namespace

TEST(JsonFileDefaults, EveryTypeSurvivesARestartInTheDocumentedForm)
{
    TemporaryFolder folder;
    const fs::path file = folder / "Kestrane/defaults.json";
    {
        JsonFileDefaults defaults(file);
        defaults.setBool("flag", true);
        defaults.setInteger("count", -1234567890123);
        defaults.setString("name", "Pocket \xE2\x80\xA6 1");
        defaults.setData("zones", Bytes { 0, 1, 2, 250, 255 });
        defaults.setData("empty", Bytes {});
        defaults.setString("gone", "x");
        defaults.remove("gone");
    }
    const nlohmann::json stored = nlohmann::json::parse(readFile(file));
    EXPECT_EQ(stored["zones"], (nlohmann::json { { "base64", "AAEC+v8=" } }));
    EXPECT_FALSE(stored.contains("gone"));

    JsonFileDefaults defaults(file);
    EXPECT_TRUE(defaults.boolValue("flag"));
    EXPECT_EQ(defaults.integerValue("count"), -1234567890123);
    EXPECT_EQ(defaults.stringValue("name"), "Pocket \xE2\x80\xA6 1");
    EXPECT_EQ(defaults.dataValue("zones"), (Bytes { 0, 1, 2, 250, 255 }));
    EXPECT_EQ(defaults.dataValue("empty"), Bytes {});
    EXPECT_FALSE(defaults.stringValue("gone"));
    EXPECT_TRUE(defaults.writesEnabled());
}

TEST(JsonFileDefaults, ValuesOfAnotherTypeReadAsAbsentAndUnknownMembersAreKept)
{
    TemporaryFolder folder;
    const fs::path file = folder / "defaults.json";
    writeFile(file, R"({"flag":"yes","count":2.5,"huge":18446744073709551615,"name":7,)"
                    R"("bytes":{"base64":"not base64!"},"extra":{"base64":"AA==","more":1},)"
                    R"("someone.else":[1,{"deep":null}],"nested":)" + nested(63) + "}");
    JsonFileDefaults defaults(file);
    EXPECT_FALSE(defaults.boolValue("flag"));
    EXPECT_EQ(defaults.integerValue("count"), 0);
    EXPECT_EQ(defaults.integerValue("huge"), 0);
    EXPECT_FALSE(defaults.stringValue("name"));
    for (const char* key : { "bytes", "extra", "missing" })
        EXPECT_FALSE(defaults.dataValue(key)) << key;

    defaults.setBool("flag", true);
    const nlohmann::json stored = nlohmann::json::parse(readFile(file));
    EXPECT_EQ(stored["someone.else"], nlohmann::json::parse(R"([1,{"deep":null}])"));
    EXPECT_EQ(stored["huge"], 18446744073709551615ull);
    EXPECT_EQ(stored["nested"].dump(), nested(63));
    EXPECT_EQ(stored["flag"], true);
}

TEST(JsonFileDefaults, AnUnreadableFileIsKeptAsideWithOneLogLine)
{
    const std::string unreadable[] = { "{\"flag\": tru", "[1, 2]", "\xFF\xFE", "{\"x\": " + nested(100000) + "}",
        "{\"x\": " + nested(64) + "}", "{\"x\": \"" + std::string(1024 * 1024, 'a') + "\"}" };
    for (const std::string& garbage : unreadable) {
        TemporaryFolder folder;
        const fs::path file = folder / "defaults.json";
        writeFile(file, garbage);

        std::optional<JsonFileDefaults> defaults;
        const std::string log = stderrOf([&] { defaults.emplace(file); });
        EXPECT_EQ(lineCount(log), 1) << log.substr(0, 200);
        EXPECT_THAT(log, HasSubstr("could not be read"));

        const std::vector<fs::path> aside = setAsideFiles(folder.path());
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_TRUE(readFile(aside[0]) == garbage);
        EXPECT_THAT(log, HasSubstr(aside[0].string()));
        EXPECT_FALSE(fs::exists(file));

        // The store starts empty and saves to a fresh file, never over the kept one.
        EXPECT_FALSE(defaults->boolValue("flag"));
        defaults->setBool("flag", true);
        EXPECT_TRUE(JsonFileDefaults(file).boolValue("flag"));
        EXPECT_TRUE(readFile(aside[0]) == garbage);
    }
}

TEST(JsonFileDefaults, ASecondUnreadableFileDoesNotReplaceTheFirstKeptOne)
{
    TemporaryFolder folder;
    const fs::path file = folder / "defaults.json";
    writeFile(file, "first");
    JsonFileDefaults { file };
    writeFile(file, "second");
    stderrOf([&] { JsonFileDefaults { file }; });
    std::vector<std::string> kept;
    for (const fs::path& path : setAsideFiles(folder.path()))
        kept.push_back(readFile(path));
    EXPECT_THAT(kept, ::testing::UnorderedElementsAre("first", "second"));
}

TEST(JsonFileDefaults, WhenTheFileCanNeitherBeReadNorMovedNothingIsWritten)
{
    // A file of the kernel's: not JSON, and not movable out of its file system.
    std::optional<JsonFileDefaults> defaults;
    EXPECT_THAT(stderrOf([&] { defaults.emplace("/proc/self/status"); }), HasSubstr("will not be saved"));
    EXPECT_FALSE(defaults->writesEnabled());
    defaults->setInteger("count", 3);
    EXPECT_EQ(defaults->integerValue("count"), 3);
}

TEST(JsonFileDefaults, AFailedWriteKeepsTheValueAndLogsOnce)
{
    TemporaryFolder folder;
    writeFile(folder / "blocker", "a file where the folder should be");
    JsonFileDefaults defaults(folder / "blocker/defaults.json");
    const std::string log = stderrOf([&] {
        defaults.setInteger("count", 1);
        defaults.setInteger("count", 2);
    });
    EXPECT_EQ(lineCount(log), 1) << log;
    EXPECT_EQ(defaults.integerValue("count"), 2);
}

TEST(JsonFileDefaults, AChangeThatWouldMakeTheFileTooLargeIsRefusedWithOneLine)
{
    TemporaryFolder folder;
    const fs::path file = folder / "defaults.json";
    JsonFileDefaults defaults(file);
    defaults.setString("name", "kept");
    const std::string log = stderrOf([&] {
        defaults.setString("name", std::string(1024 * 1024, 'a'));
        defaults.setData("zones", Bytes(800 * 1024, 7));
    });
    EXPECT_EQ(lineCount(log), 2) << log;
    JsonFileDefaults reread(file);
    for (const JsonFileDefaults* store : { &defaults, &reread }) {
        EXPECT_EQ(store->stringValue("name"), "kept");
        EXPECT_FALSE(store->contains("zones"));
    }
}

TEST(JsonFileDefaults, ASymlinkedFileIsWrittenThroughToItsTarget)
{
    // A link into another folder, a chain of two links, and a link whose target is not there yet.
    const std::vector<std::pair<std::string, std::string>> links[] = {
        { { "defaults.json", "../dotfiles/defaults.json" } },
        { { "defaults.json", "middle.json" }, { "middle.json", "../dotfiles/defaults.json" } },
        { { "defaults.json", "../dotfiles/absent.json" } },
    };
    for (const auto& chain : links) {
        TemporaryFolder folder;
        fs::create_directories(folder / "config");
        fs::create_directories(folder / "dotfiles");
        writeFile(folder / "dotfiles/defaults.json", "{}");
        for (const auto& [link, target] : chain)
            fs::create_symlink(target, folder / "config" / link);

        JsonFileDefaults(folder / "config/defaults.json").setBool("flag", true);
        EXPECT_TRUE(JsonFileDefaults(folder / "config/defaults.json").boolValue("flag"));
        EXPECT_EQ(fs::canonical(folder / "config/defaults.json").parent_path(), fs::canonical(folder / "dotfiles"));
        for (const auto& [link, _] : chain)
            EXPECT_TRUE(fs::is_symlink(folder / "config" / link)) << link;
    }
}
