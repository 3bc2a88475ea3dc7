#include "StderrOf.h"
#include "TemporaryFolder.h"
#include "platform/JsonFileDefaults.h"

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include <optional>
#include <tuple>

using namespace kestrane;
using namespace kestrane::testing;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::StartsWith;
namespace fs = std::filesystem;

namespace {
std::string nested(std::size_t depth)
{
    return std::string(depth, '[') + std::string(depth, ']');
}
long lineCount(const std::string& log)
{
    return std::count(log.begin(), log.end(), '\n');
}
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
    EXPECT_EQ(nlohmann::json::parse(readFile(file)),
        nlohmann::json::parse(R"({"flag":true,"count":-1234567890123,)"
                              R"("name":"Pocket \u2026 1","zones":{"base64":"AAEC+v8="},"empty":{"base64":""}})"));
    const JsonFileDefaults d(file);
    EXPECT_EQ(std::tuple(d.boolValue("flag"), d.integerValue("count"), d.stringValue("name"), d.dataValue("zones"), d.dataValue("empty")),
        std::tuple(true, -1234567890123, "Pocket \xE2\x80\xA6 1", Bytes { 0, 1, 2, 250, 255 }, Bytes {}));
}

TEST(JsonFileDefaults, ValuesOfAnotherTypeReadAsAbsentAndUnknownMembersAreKept)
{
    TemporaryFolder folder;
    const std::string others = R"("huge":18446744073709551615,"someone.else":[1,{"deep":null}],"nested":)" + nested(63);
    writeFile(folder / "defaults.json",
        R"({"flag":"yes","count":2.5,"name":7,"bytes":{"base64":"not base64!"},"off":false,"zero":0,)"
        R"("extra":{"base64":"AA==","more":1},)"
            + others + "}");
    JsonFileDefaults defaults(folder / "defaults.json");
    EXPECT_FALSE(
        defaults.boolValue("flag") || defaults.stringValue("name") || defaults.integerValue("count") || defaults.integerValue("huge"));
    EXPECT_EQ(std::pair(defaults.boolValue("off"), defaults.integerValue("zero")),
        std::pair(std::optional(false), std::optional<std::int64_t>(0)));
    for (const char* key : { "bytes", "extra", "missing" })
        EXPECT_FALSE(defaults.dataValue(key)) << key;

    // Kept aside as stored, whatever its shape, and a second copy never replaces the first.
    const auto first = defaults.keepAside("bytes"), second = defaults.keepAside("bytes");
    ASSERT_TRUE(first && second && *first != *second && !defaults.keepAside("missing"));
    EXPECT_THAT(*first, StartsWith("bytes.unreadable-"));
    defaults.setBool("flag", true);
    nlohmann::json stored = nlohmann::json::parse(readFile(folder / "defaults.json"));
    for (const std::string& aside : { *first, *second }) {
        EXPECT_EQ(stored.at(aside), nlohmann::json::parse(R"({"base64":"not base64!"})")) << aside;
        stored.erase(aside);
    }
    for (const char* replaced : { "flag", "count", "name", "bytes", "extra", "off", "zero" })
        stored.erase(replaced);
    EXPECT_EQ(stored, nlohmann::json::parse("{" + others + "}"));
}

// Each in turn into the same folder, so that no kept file replaces an earlier one.
TEST(JsonFileDefaults, AnUnreadableFileIsKeptAsideWithOneLogLine)
{
    TemporaryFolder folder;
    const fs::path file = folder / "defaults.json";
    // Not JSON, not an object, one level too deep, larger than the reader accepts.
    const std::string unreadable[] = { "{\"flag\": tru", "[1, 2]", "{\"x\": " + nested(64) + "}",
        "{\"x\": \"" + std::string(1024 * 1024, 'a') + "\"}" };
    for (std::size_t i = 0; i < std::size(unreadable); ++i) {
        writeFile(file, unreadable[i]);
        std::optional<JsonFileDefaults> defaults;
        const std::string log = stderrOf([&] { defaults.emplace(file); });
        EXPECT_THAT(log, MatchesRegex("Kestrane: settings file [^\n]* could not be read [^\n]*\n"));
        const std::size_t at = log.find("kept as ") + 8;
        const fs::path aside = log.substr(at, log.find(", starting") - at);
        EXPECT_THAT(aside.string(), StartsWith(file.string() + ".unreadable-"));
        EXPECT_EQ(readFile(aside), unreadable[i]);
        EXPECT_EQ(std::size_t(std::distance(fs::directory_iterator(folder.path()), {})), i + 1);

        // The store starts empty and saves to a fresh file.
        EXPECT_FALSE(defaults->boolValue("flag"));
        defaults->setBool("flag", true);
        EXPECT_TRUE(JsonFileDefaults(file).boolValue("flag"));
    }
    // A file of the kernel's can be neither read as JSON nor moved out of its file system.
    std::optional<JsonFileDefaults> defaults;
    EXPECT_THAT(stderrOf([&] { defaults.emplace("/proc/self/status"); }), HasSubstr("will not be saved"));
    EXPECT_FALSE(defaults->writesEnabled());
    defaults->setInteger("count", 3);
    EXPECT_EQ(defaults->integerValue("count"), 3);
}

TEST(JsonFileDefaults, FailedOrOversizedWritesLogOnceEachAndKeepWhatTheyCan)
{
    TemporaryFolder folder;
    writeFile(folder / "blocker", "a file where the folder should be");
    JsonFileDefaults blocked(folder / "blocker/defaults.json");
    EXPECT_EQ(lineCount(stderrOf([&] {
        blocked.setInteger("count", 1);
        blocked.setInteger("count", 2);
    })),
        1);
    EXPECT_EQ(blocked.integerValue("count"), 2);

    JsonFileDefaults defaults(folder / "defaults.json");
    defaults.setString("name", "kept");
    EXPECT_EQ(lineCount(stderrOf([&] {
        defaults.setString("name", std::string(1024 * 1024, 'a'));
        defaults.setData("zones", Bytes(800 * 1024, 7));
    })),
        2);
    JsonFileDefaults reread(folder / "defaults.json");
    for (const JsonFileDefaults* store : { &defaults, &reread }) {
        EXPECT_EQ(store->stringValue("name"), "kept");
        EXPECT_FALSE(store->contains("zones"));
    }
}

TEST(JsonFileDefaults, ASymlinkedFileIsWrittenThroughToItsTarget)
{
    // A link into another folder, a chain of two links, and a link whose target is not there yet.
    for (const char* target : { "../dotfiles/defaults.json", "middle.json", "../dotfiles/absent.json" }) {
        TemporaryFolder folder;
        fs::create_directories(folder / "config");
        fs::create_directories(folder / "dotfiles");
        writeFile(folder / "dotfiles/defaults.json", "{}");
        fs::create_symlink("../dotfiles/defaults.json", folder / "config/middle.json");
        fs::create_symlink(target, folder / "config/defaults.json");

        JsonFileDefaults(folder / "config/defaults.json").setBool("flag", true);
        EXPECT_TRUE(JsonFileDefaults(folder / "config/defaults.json").boolValue("flag"));
        EXPECT_EQ(fs::canonical(folder / "config/defaults.json").parent_path(), fs::canonical(folder / "dotfiles"));
        EXPECT_TRUE(fs::is_symlink(folder / "config/defaults.json") && fs::is_symlink(folder / "config/middle.json"));
    }
}
