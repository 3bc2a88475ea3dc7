#pragma once

#include "TemporaryFolder.h"
#include "platform/MemoryDefaults.h"
#include "platform/NotificationCenter.h"
#include "preferences/Preferences.h"
#include "preferences/XdgAutostartLoginItem.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestrane::testing {

// Real preferences over in-memory defaults and a login item in a temporary config folder.
class PreferencesTest : public ::testing::Test {
protected:
    Preferences& open()
    {
        preferences = std::make_unique<Preferences>(defaults, loginItems, notifications, [this] { ++steps; });
        preferences->observe([this] { ++changes; });
        steps = 0;
        return *preferences;
    }

    std::filesystem::path autostartEntry() const { return config / "autostart" / "kestrane.desktop"; }

    TemporaryFolder config;
    XdgAutostartLoginItem loginItems { "/usr/bin/kestrane", config.path() };
    MemoryDefaults defaults;
    NotificationCenter notifications;
    NotificationCenter::Token postCounter = notifications.observe(Preferences::shortcutChangedNotification, [this] { ++shortcutPosts; });
    std::unique_ptr<Preferences> preferences;
    int shortcutPosts = 0;
    int steps = 0;
    int changes = 0;
};

} // namespace kestrane::testing
