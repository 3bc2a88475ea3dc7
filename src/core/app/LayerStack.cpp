#include "app/LayerStack.h"

#include <utility>

namespace kestrane {

bool LayerStack::press(Point at)
{
    for (std::size_t index = 0; index < layers_.size(); ++index) {
        if (layers_[index].press(at)) {
            pressed_ = index;
            return true;
        }
    }
    return false;
}

void LayerStack::move(Point at)
{
    if (pressed_)
        layers_[*pressed_].move(at);
}

void LayerStack::release(Point at)
{
    if (const auto pressed = std::exchange(pressed_, std::nullopt))
        layers_[*pressed].release(at);
}

bool LayerStack::wheel(Point at, WheelTurn turn)
{
    for (const Layer& layer : layers_) {
        if (layer.wheel(at, turn))
            return true;
    }
    return false;
}

bool LayerStack::key(const KeyPress& press)
{
    for (const Layer& layer : layers_) {
        if (layer.key(press))
            return true;
    }
    return false;
}

} // namespace kestrane
