#include "IsolatedHome.h"

#include <sys/stat.h>

namespace kestrane::e2e {

namespace {
std::string base64(const std::string& bytes)
{
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k)
            group = group << 8 | (k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            text += k <= count ? alphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
    }
    return text;
}

nlohmann::json zonesDocument(const std::vector<StoredZone>& zones)
{
    nlohmann::json array = nlohmann::json::array();
    for (const StoredZone& zone : zones)
        array.push_back({ { "id", zone.id }, { "name", zone.name }, { "anchor", zone.anchor }, { "kind", "shelf" } });
    return array;
}

std::filesystem::path madeFolder(const std::filesystem::path& path, mode_t mode)
{
    std::filesystem::create_directories(path);
    ::chmod(path.c_str(), mode);
    return path;
}
} // namespace

IsolatedHome::IsolatedHome()
{
    madeFolder(folder_ / "config", 0700);
    madeFolder(folder_ / "data", 0700);
    madeFolder(folder_ / "runtime", 0700);
}

std::filesystem::path IsolatedHome::settingsFile() const
{
    return folder_ / "config" / "Kestrane" / "defaults.json";
}

std::filesystem::path IsolatedHome::indexFile() const
{
    return folder_ / "data" / "Kestrane" / "pockets.json";
}

std::filesystem::path IsolatedHome::payloadFolder() const
{
    return folder_ / "data" / "Kestrane" / "Payloads";
}

Environment IsolatedHome::environment(const std::string& display) const
{
    Environment environment = Environment::inherited();
    environment.set("DISPLAY", display);
    environment.set("XDG_CONFIG_HOME", (folder_ / "config").string());
    environment.set("XDG_DATA_HOME", (folder_ / "data").string());
    environment.set("XDG_RUNTIME_DIR", (folder_ / "runtime").string());
    environment.unset("WAYLAND_DISPLAY");
    return environment;
}

void IsolatedHome::writeSettings(const std::vector<StoredZone>& zones) const
{
    nlohmann::json settings = { { "kestrane.onboarding.seen.v1", true } };
    if (!zones.empty())
        settings["kestrane.zones.v1"] = { { "base64", base64(zonesDocument(zones).dump()) } };
    std::filesystem::create_directories(settingsFile().parent_path());
    testing::writeFile(settingsFile(), settings.dump(2));
}

nlohmann::json IsolatedHome::index() const
{
    if (!std::filesystem::exists(indexFile()))
        return nlohmann::json::object();
    return nlohmann::json::parse(testing::readFile(indexFile()));
}

std::vector<StoredItem> IsolatedHome::items(const std::string& zoneID) const
{
    const nlohmann::json document = index();
    std::vector<StoredItem> items;
    if (!document.contains(zoneID))
        return items;
    for (const nlohmann::json& entry : document[zoneID]) {
        StoredItem item { entry.at("id"), entry.at("name"), {} };
        const nlohmann::json& payload = entry.at("payload");
        if (payload.contains("managed"))
            item.file = payloadFolder() / payload["managed"].at("filename").get<std::string>();
        else if (payload.contains("pending"))
            item.file = payload["pending"].at("path").get<std::string>();
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kestrane::e2e
