#include "platform/JsonFileDefaults.h"

#include "platform/AtomicFile.h"
#include "platform/Base64.h"
#include "platform/DefaultsFileCodec.h"
#include "platform/Log.h"
#include "platform/ReadFile.h"
#include "platform/UtcTime.h"
#include "platform/XdgPaths.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace kestrane {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {
constexpr const char* base64Member = "base64";

// A name beside file that nothing holds yet, so that setting one file aside never
// replaces another one set aside earlier.
fs::path unusedAsideName(const fs::path& file)
{
    const std::string base = file.string() + ".unreadable-" + formatUtcNow("%Y%m%dT%H%M%SZ");
    fs::path candidate = base;
    std::error_code error;
    for (int n = 2; fs::exists(fs::symlink_status(candidate, error)); ++n)
        candidate = base + "-" + std::to_string(n);
    return candidate;
}

} // namespace

JsonFileDefaults::JsonFileDefaults(fs::path file)
    : file_(std::move(file))
{
    load();
}

std::optional<fs::path> JsonFileDefaults::standardLocation()
{
    auto config = xdgConfigHome();
    if (!config)
        return std::nullopt;
    return *config / "Kestrane" / "defaults.json";
}

void JsonFileDefaults::load()
{
    std::error_code error;
    const fs::file_status status = fs::status(file_, error);
    if (status.type() == fs::file_type::not_found)
        return;
    if (status.type() != fs::file_type::regular) {
        setAside("it is not a regular file");
        return;
    }
    const std::optional<std::string> text = readWholeFile(file_, defaultsFileMaxBytes);
    if (!text) {
        setAside(errno == EFBIG ? defaultsFileTooLarge : std::strerror(errno));
        return;
    }
    DefaultsFileDecodeResult decoded = decodeDefaultsFile(*text);
    if (!decoded.values) {
        setAside(decoded.problem);
        return;
    }
    values_ = std::move(*decoded.values);
}

void JsonFileDefaults::setAside(const char* reason)
{
    const fs::path aside = unusedAsideName(file_);
    std::error_code error;
    fs::rename(file_, aside, error);
    if (error) {
        writesEnabled_ = false;
        logLine("Kestrane: settings file " + file_.string() + " could not be read (" + reason
            + ") nor moved aside; settings will not be saved this launch");
        return;
    }
    logLine("Kestrane: settings file " + file_.string() + " could not be read (" + reason + "); kept as " + aside.string()
        + ", starting with default settings");
}

const json* JsonFileDefaults::find(std::string_view key) const
{
    auto it = values_.find(key);
    return it == values_.end() ? nullptr : &*it;
}

std::optional<bool> JsonFileDefaults::boolValue(std::string_view key) const
{
    const json* value = find(key);
    if (!value || !value->is_boolean())
        return std::nullopt;
    return value->get<bool>();
}

std::optional<std::int64_t> JsonFileDefaults::integerValue(std::string_view key) const
{
    const json* value = find(key);
    if (!value || !value->is_number_integer())
        return std::nullopt;
    if (value->is_number_unsigned() && value->get<std::uint64_t>() > std::uint64_t(INT64_MAX))
        return std::nullopt;
    return value->get<std::int64_t>();
}

std::optional<std::string> JsonFileDefaults::stringValue(std::string_view key) const
{
    const json* value = find(key);
    if (!value || !value->is_string())
        return std::nullopt;
    return value->get<std::string>();
}

std::optional<Bytes> JsonFileDefaults::dataValue(std::string_view key) const
{
    const json* value = find(key);
    if (!value || !value->is_object() || value->size() != 1)
        return std::nullopt;
    auto encoded = value->find(base64Member);
    if (encoded == value->end() || !encoded->is_string())
        return std::nullopt;
    return decodeBase64(encoded->get_ref<const std::string&>());
}

void JsonFileDefaults::setBool(std::string_view key, bool value)
{
    change(key, value);
}
void JsonFileDefaults::setInteger(std::string_view key, std::int64_t value)
{
    change(key, value);
}
void JsonFileDefaults::setString(std::string_view key, std::string_view value)
{
    change(key, std::string(value));
}
void JsonFileDefaults::setData(std::string_view key, const Bytes& value)
{
    change(key, json { { base64Member, encodeBase64(value) } });
}

void JsonFileDefaults::remove(std::string_view key)
{
    if (contains(key))
        change(key, std::nullopt);
}

bool JsonFileDefaults::copy(std::string_view from, std::string_view to)
{
    const json* value = find(from);
    return value && change(to, json(*value));
}

// A change that would take the file past its bounds is refused as a whole, so that the
// file written is always one the next start can read.
bool JsonFileDefaults::change(std::string_view key, std::optional<json> value)
{
    std::optional<json> previous = take(key);
    if (value)
        values_[std::string(key)] = std::move(*value);
    const std::optional<std::string> text = encodeDefaultsFile(values_);
    if (!text) {
        take(key);
        if (previous)
            values_[std::string(key)] = std::move(*previous);
        logLine("Kestrane: setting " + std::string(key) + " was not changed: the settings file would be larger than 1 MiB");
        return false;
    }
    write(*text);
    return true;
}

std::optional<json> JsonFileDefaults::take(std::string_view key)
{
    auto it = values_.find(key);
    if (it == values_.end())
        return std::nullopt;
    json value = std::move(*it);
    values_.erase(it);
    return value;
}

void JsonFileDefaults::write(const std::string& text)
{
    if (!writesEnabled_)
        return;
    std::error_code error;
    fs::create_directories(file_.parent_path(), error);
    if (writeFileAtomically(file_, text)) {
        reportedWriteFailure_ = false;
        return;
    }
    if (!reportedWriteFailure_)
        logLine("Kestrane: settings could not be written to " + file_.string());
    reportedWriteFailure_ = true;
}

} // namespace kestrane
