#pragma once

#include "TemporaryFolder.h"

#include <QByteArray>
#include <QProcessEnvironment>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace kestrane::e2e {

struct StoredPocket {
    std::string id;
    std::string name;
    double anchor = 0;
};

struct StoredItem {
    std::string id;
    std::string name;
    // The item's payload in Payloads/; empty for an item that refers to a file elsewhere.
    std::filesystem::path file;
};

// Fresh settings, data and runtime folders for one run of the program, and access to the
// files it keeps in them.
class IsolatedHome {
public:
    IsolatedHome()
    {
        for (const char* name : { "config", "data", "runtime" }) {
            std::filesystem::create_directories(folder_ / name);
            std::filesystem::permissions(folder_ / name, std::filesystem::perms::owner_all);
        }
    }

    const std::filesystem::path& root() const { return folder_.path(); }

    // The program's environment: these folders and the given X display. Programs a test puts
    // in bin/ are found before the system's.
    QProcessEnvironment environment(const std::string& display) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", QString::fromStdString((folder_ / "bin").string()) + ":" + environment.value("PATH"));
        environment.insert("DISPLAY", QString::fromStdString(display));
        for (const auto& [variable, name] :
            { std::pair("XDG_CONFIG_HOME", "config"), { "XDG_DATA_HOME", "data" }, { "XDG_RUNTIME_DIR", "runtime" } })
            environment.insert(variable, QString::fromStdString((folder_ / name).string()));
        environment.remove("WAYLAND_DISPLAY");
        return environment;
    }

    // Settings with the introduction already seen, so that it never covers the screen,
    // with these pockets and any other settings given.
    void writeSettings(const std::vector<StoredPocket>& pockets, const nlohmann::json& others = nlohmann::json::object()) const
    {
        nlohmann::json settings = others, stored = nlohmann::json::array();
        settings["kestrane.onboarding.seen.v1"] = true;
        for (const StoredPocket& pocket : pockets)
            stored.push_back({ { "id", pocket.id }, { "name", pocket.name }, { "anchor", pocket.anchor }, { "kind", "shelf" } });
        if (!pockets.empty())
            settings["kestrane.zones.v1"] = { { "base64", QByteArray::fromStdString(stored.dump()).toBase64().toStdString() } };
        std::filesystem::create_directories(folder_ / "config/Kestrane");
        testing::writeFile(folder_ / "config/Kestrane/defaults.json", settings.dump(2));
    }

    // The settings file as the program last wrote it.
    nlohmann::json settings() const { return nlohmann::json::parse(testing::readFile(folder_ / "config/Kestrane/defaults.json")); }

    // The pocket's items in index order; none when the index has no entry for it.
    std::vector<StoredItem> items(const std::string& pocketID) const
    {
        const std::filesystem::path index = folder_ / "data/Kestrane/pockets.json";
        std::vector<StoredItem> items;
        const nlohmann::json document =
            std::filesystem::exists(index) ? nlohmann::json::parse(testing::readFile(index)) : nlohmann::json::object();
        for (const nlohmann::json& entry : document.value(pocketID, nlohmann::json::array())) {
            StoredItem item { entry.at("id"), entry.at("name"), {} };
            const nlohmann::json& payload = entry.at("payload");
            if (payload.contains("managed"))
                item.file = folder_ / "data/Kestrane/Payloads" / payload["managed"].at("filename").get<std::string>();
            items.push_back(std::move(item));
        }
        return items;
    }

private:
    testing::TemporaryFolder folder_;
};

} // namespace kestrane::e2e
