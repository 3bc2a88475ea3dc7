#pragma once

#include "EngineFakes.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kestrane::testing {

class EngineFixture : public ::testing::Test, protected EngineRig {
protected:
    static constexpr double frame = 1.0 / 120;

    void run(double seconds)
    {
        for (double t = 0; t < seconds; t += frame) {
            clock.advance(frame);
            engine->step(frame);
        }
    }

    std::vector<Dropzone> storedPockets() const { return decodePockets(*defaults.dataValue(BezelEngine::pocketsKey)).pockets; }

    // Pockets at these heights of the 900-point edge, holding so many items each, placed by
    // a first step.
    std::vector<Dropzone> startWith(const std::vector<std::pair<double, int>>& wanted)
    {
        std::vector<Dropzone> pockets;
        for (const auto& [y, items] : wanted)
            pockets.push_back(newPocket("Pocket", y / 900));
        storePockets(pockets);
        for (std::size_t i = 0; i < pockets.size(); ++i) {
            if (wanted[i].second > 0)
                putItems(pockets[i].id, wanted[i].second);
        }
        makeEngine().step(frame);
        return pockets;
    }

    // One pocket in the middle of the edge holding n items.
    Dropzone startWithOnePocket(int n) { return startWith({ { 450, n } })[0]; }

    // Puts n text items, each with its payload file, into a pocket and returns them.
    std::vector<PocketItem> putItems(const Uuid& pocket, int n)
    {
        std::vector<PocketItem>& list = store.items[pocket];
        for (int i = 0; i < n; ++i) {
            const std::string filename = Uuid::random().string() + ".txt";
            writeFile(store.payloadDirectory() / filename, "note " + std::to_string(i));
            list.push_back(PocketItem::make("note " + std::to_string(i) + ".txt", PocketPayload::makeManaged(filename), 0));
        }
        store.save();
        return { list.end() - n, list.end() };
    }

    // Edit mode with every pocket movable, and a press that picks up the one at the point.
    void grabPocket(Point at)
    {
        engine->setEditing(true);
        engine->setArranging(true);
        engine->updatePointer(at);
        engine->mouseDown(at);
    }

    // How many times the settings were written while the action ran.
    int writesDuring(const std::function<void()>& action)
    {
        const int before = defaults.writeCount();
        action();
        return defaults.writeCount() - before;
    }
};

} // namespace kestrane::testing
