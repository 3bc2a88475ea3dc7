#pragma once

namespace kestrane {

// What the engine changes in the preferences model when the panel is shown or hidden.
class EnginePreferenceControl {
public:
    virtual ~EnginePreferenceControl() = default;
    virtual void stopRecordingShortcut() = 0;
    // Reads the login item's state from the system again.
    virtual void refreshLoginState() = 0;
};

} // namespace kestrane
