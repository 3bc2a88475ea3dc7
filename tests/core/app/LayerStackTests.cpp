#include "app/LayerStack.h"

#include <gtest/gtest.h>

#include <string>

using namespace kestrane;

namespace {
// Layers that take what lies left of `takesBelowX` and keys of their own code, and write
// down what reached them.
struct Recorder {
    std::string log;

    LayerStack::Layer layer(char name, double takesBelowX, std::uint16_t ownKey)
    {
        return {
            .press = [=, this](Point at) { return at.x < takesBelowX && (log += std::string(1, name) + "press ", true); },
            .move = [=, this](Point) { log += std::string(1, name) + "move "; },
            .release = [=, this](Point) { log += std::string(1, name) + "release "; },
            .wheel = [=, this](Point at, WheelTurn) { return at.x < takesBelowX && (log += std::string(1, name) + "wheel ", true); },
            .key =
                [=, this](const KeyPress& press) {
                    return press.key && press.key->keyCode == ownKey && (log += std::string(1, name) + "key ", true);
                },
        };
    }
};
} // namespace

TEST(LayerStack, ThePressTakerGetsItsMovesAndReleaseWhileWheelsAndKeysGoToTheFirstTaker)
{
    Recorder recorder;
    LayerStack layers;
    layers.add({}); // takes nothing
    layers.add(recorder.layer('a', 10, 1));
    layers.add(recorder.layer('b', 100, 2));
    layers.add(recorder.layer('c', 1000, 1));

    EXPECT_FALSE(layers.isPressed());
    layers.move({ 5, 0 });
    EXPECT_TRUE(layers.press({ 50, 0 }));
    EXPECT_TRUE(layers.isPressed());
    layers.move({ 5, 0 });
    layers.release({ 5, 0 });
    layers.release({ 5, 0 });
    EXPECT_EQ(recorder.log, "bpress bmove brelease ") << "the press's layer keeps it wherever the pointer goes, once";

    recorder.log.clear();
    EXPECT_TRUE(layers.press({ 5, 0 }));
    layers.forgetPress();
    layers.release({ 5, 0 });
    EXPECT_FALSE(layers.press({ 5000, 0 }));
    EXPECT_FALSE(layers.isPressed());
    EXPECT_EQ(recorder.log, "apress ") << "a forgotten press gets no release; a press no layer takes holds nothing";

    recorder.log.clear();
    EXPECT_TRUE(layers.wheel({ 500, 0 }, { 1, true }));
    EXPECT_FALSE(layers.wheel({ 5000, 0 }, { 1, true }));
    EXPECT_TRUE(layers.key({ KeyEvent { 1, 0, {} }, {} }));
    EXPECT_TRUE(layers.key({ KeyEvent { 2, 0, {} }, {} }));
    EXPECT_FALSE(layers.key({ KeyEvent { 3, 0, {} }, {} }));
    EXPECT_EQ(recorder.log, "cwheel akey bkey ");
}
