#pragma once

#include "platform/Defaults.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>

namespace kestrane {

// The user-defaults store on disk: one JSON object, written atomically at every change.
//   bool → true/false, integer → a JSON integer, string → a JSON string,
//   bytes → {"base64": "<standard Base64>"}
// Members this program does not know (or holds in another type) are kept as they are.
//
// A change that would make the file larger than the reader accepts is refused with one log
// line. Written through a symlink to its target, keeping the link.
//
// A file that exists but cannot be read as a JSON object (or is too large or too deeply
// nested) is never overwritten: it is renamed aside to "<name>.unreadable-<UTC time>" with
// one log line, and the store starts empty. If even the rename fails, the store runs in
// memory and writes nothing this launch. Main thread only.
class JsonFileDefaults final : public Defaults {
public:
    explicit JsonFileDefaults(std::filesystem::path file);

    // $XDG_CONFIG_HOME/Kestrane/defaults.json, absent without a usable home folder.
    static std::optional<std::filesystem::path> standardLocation();

    std::optional<bool> boolValue(std::string_view key) const override;
    std::optional<std::int64_t> integerValue(std::string_view key) const override;
    std::optional<std::string> stringValue(std::string_view key) const override;
    std::optional<Bytes> dataValue(std::string_view key) const override;
    bool contains(std::string_view key) const override { return find(key) != nullptr; }

    void setBool(std::string_view key, bool value) override;
    void setInteger(std::string_view key, std::int64_t value) override;
    void setString(std::string_view key, std::string_view value) override;
    void setData(std::string_view key, const Bytes& value) override;
    void remove(std::string_view key) override;
    bool copy(std::string_view from, std::string_view to) override;

    bool writesEnabled() const { return writesEnabled_; }
    const std::filesystem::path& file() const { return file_; }

private:
    void load();
    void setAside(const char* reason);
    const nlohmann::json* find(std::string_view key) const;
    bool change(std::string_view key, std::optional<nlohmann::json> value);
    std::optional<nlohmann::json> take(std::string_view key);
    void write(const std::string& text);

    std::filesystem::path file_;
    nlohmann::json values_ = nlohmann::json::object();
    bool writesEnabled_ = true;
    bool reportedWriteFailure_ = false;
};

} // namespace kestrane
