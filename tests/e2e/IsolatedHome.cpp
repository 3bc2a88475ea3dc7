#include "IsolatedHome.h"

#include <QByteArray>

#include <nlohmann/json.hpp>

namespace kestrane::e2e {

namespace {
nlohmann::json zonesDocument(const std::vector<StoredZone>& zones)
{
    nlohmann::json array = nlohmann::json::array();
    for (const StoredZone& zone : zones)
        array.push_back({ { "id", zone.id }, { "name", zone.name }, { "anchor", zone.anchor }, { "kind", "shelf" } });
    return array;
}

} // namespace

IsolatedHome::IsolatedHome()
{
    for (const char* name : { "config", "data", "runtime" }) {
        std::filesystem::create_directories(folder_ / name);
        std::filesystem::permissions(folder_ / name, std::filesystem::perms::owner_all);
    }
}

QProcessEnvironment IsolatedHome::environment(const std::string& display) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", QString::fromStdString(display));
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString((folder_ / "config").string()));
    environment.insert("XDG_DATA_HOME", QString::fromStdString((folder_ / "data").string()));
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString((folder_ / "runtime").string()));
    environment.remove("WAYLAND_DISPLAY");
    return environment;
}

void IsolatedHome::writeSettings(const std::vector<StoredZone>& zones) const
{
    nlohmann::json settings = { { "kestrane.onboarding.seen.v1", true } };
    if (!zones.empty())
        settings["kestrane.zones.v1"] = { { "base64", QByteArray::fromStdString(zonesDocument(zones).dump()).toBase64().toStdString() } };
    std::filesystem::create_directories(settingsFile().parent_path());
    testing::writeFile(settingsFile(), settings.dump(2));
}

std::vector<StoredItem> IsolatedHome::items(const std::string& zoneID) const
{
    std::vector<StoredItem> items;
    if (!std::filesystem::exists(indexFile()))
        return items;
    const nlohmann::json document = nlohmann::json::parse(testing::readFile(indexFile()));
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
