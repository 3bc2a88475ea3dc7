#pragma once

#include "TemporaryFolder.h"

#include <QProcessEnvironment>

#include <filesystem>
#include <string>
#include <vector>

namespace kestrane::e2e {

struct StoredZone {
    std::string id;
    std::string name;
    double anchor = 0;
};

struct StoredItem {
    std::string id;
    std::string name;
    // The file the item stands for: its payload in Payloads/ or the dropped file itself.
    std::filesystem::path file;
};

// Fresh settings, data and runtime folders for one run of the program, and access to the
// files it keeps in them.
class IsolatedHome {
public:
    IsolatedHome();

    const std::filesystem::path& root() const { return folder_.path(); }

    // The program's environment: these folders and the given X display.
    QProcessEnvironment environment(const std::string& display) const;

    // Settings with the introduction already seen, so that it never covers the screen,
    // and with these pockets.
    void writeSettings(const std::vector<StoredZone>& zones) const;

    // The pocket's items in index order; none when the index has no entry for it.
    std::vector<StoredItem> items(const std::string& zoneID) const;

private:
    std::filesystem::path settingsFile() const { return folder_ / "config" / "Kestrane" / "defaults.json"; }
    std::filesystem::path indexFile() const { return folder_ / "data" / "Kestrane" / "pockets.json"; }
    std::filesystem::path payloadFolder() const { return folder_ / "data" / "Kestrane" / "Payloads"; }

    testing::TemporaryFolder folder_;
};

} // namespace kestrane::e2e
