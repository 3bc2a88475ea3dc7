#pragma once

namespace kestrane {

// What the engine needs to know of the first-run introduction.
class EngineIntroduction {
public:
    virtual ~EngineIntroduction() = default;
    // True while the introduction is on screen in any phase (it then takes the clicks).
    virtual bool isRunning() const = 0;
};

} // namespace kestrane
