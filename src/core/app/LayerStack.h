#pragma once

#include "geometry/Point.h"
#include "preferences/KeyEvent.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrane {

// A wheel turn, downwards positive: notches of a mouse wheel, or a touchpad's distance in
// pixels.
struct WheelTurn {
    double amount = 0;
    bool inNotches = false;
};

// A key press: the key as the program's keys see it (no code for a key it has none for),
// and the text it types (UTF-8, empty for none).
struct KeyPress {
    std::optional<KeyEvent> key;
    std::string text;
};

// The edge's layers, top-most first, as input sees them. A press goes to the first layer
// that takes it, which then gets the moves and the release of that press; a wheel turn
// and a key go to the first layer that takes them. One order for every kind of input.
class LayerStack {
public:
    struct Layer {
        std::function<bool(Point)> press = [](Point) { return false; };
        std::function<void(Point)> move = [](Point) {};
        std::function<void(Point)> release = [](Point) {};
        std::function<bool(Point, WheelTurn)> wheel = [](Point, WheelTurn) { return false; };
        std::function<bool(const KeyPress&)> key = [](const KeyPress&) { return false; };
    };

    void add(Layer layer) { layers_.push_back(std::move(layer)); }

    bool press(Point at);
    void move(Point at);
    void release(Point at);
    bool wheel(Point at, WheelTurn turn);
    bool key(const KeyPress& press);
    bool isPressed() const { return pressed_.has_value(); }
    // A press that ended without a release (a drag out took the pointer).
    void forgetPress() { pressed_.reset(); }

private:
    std::vector<Layer> layers_;
    std::optional<std::size_t> pressed_;
};

} // namespace kestrane
