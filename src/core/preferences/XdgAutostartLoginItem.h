#pragma once

#include "preferences/LoginItemService.h"

#include <filesystem>
#include <optional>

namespace kestrane {

// The login item as an XDG autostart entry, <config>/autostart/kestrane.desktop, which
// desktops run at login. An entry the desktop has switched off (Hidden=true or
// X-GNOME-Autostart-enabled=false) reads as needsApproval: it exists but will not run.
class XdgAutostartLoginItem final : public LoginItemService {
public:
    // program is what the entry runs. Without a config folder ($XDG_CONFIG_HOME or
    // ~/.config when neither is usable) every call fails with a message saying so.
    explicit XdgAutostartLoginItem(std::filesystem::path program);
    XdgAutostartLoginItem(std::filesystem::path program, std::optional<std::filesystem::path> configFolder);

    std::optional<std::filesystem::path> entryFile() const;

    LoginState status() const override;
    std::optional<LoginItemFailure> registerItem() override;
    // Removing an entry that is not there succeeds.
    std::optional<LoginItemFailure> unregisterItem() override;

    // The contents written for program.
    static std::string entryContents(const std::filesystem::path& program);

private:
    std::filesystem::path program_;
    std::optional<std::filesystem::path> configFolder_;
};

} // namespace kestrane
