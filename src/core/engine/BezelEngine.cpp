#include "engine/BezelEngine.h"
#include "engine/EngineMotions.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestrane {

namespace {
constexpr SpringMotion pullCountMotion { 0.3, 0.72 };
} // namespace

BezelEngine::BezelEngine(EngineServices services)
    : services_(std::move(services))
{
    loadZones();
}

void BezelEngine::markChanged()
{
    needsStep = true;
    ++revision_;
    if (services_.changed)
        services_.changed();
}

bool BezelEngine::shouldSkipStep() const
{
    // std::optional's == already treats two absent points as equal and compares both
    // coordinates of two present ones.
    return !needsStep && isQuiescent() && pointer == lastSteppedPointer && dragPayload == lastSteppedPayload;
}

void BezelEngine::step(double dt)
{
    if (needsPositionSeed) {
        seedPositions();
        needsPositionSeed = false;
    }
    if (shouldSkipStep())
        return;

    needsStep = false;
    lastSteppedPointer = pointer;
    lastSteppedPayload = dragPayload;

    if (isEditing)
        editProgress.step(1, dt, editOpeningMotion);
    else
        editProgress.step(0, dt, editClosingMotion);
    arrangeProgress.step(isArranging ? 1 : 0, dt, editOpeningMotion);
    stepPreferences(dt);
    stepPurge(dt);
    pullCount.step(pullCountZone ? 1 : 0, dt, pullCountMotion);
    stepDrawer(dt);
    resolveTargets();
    stepBlobs(dt);
    stepPlus(dt);
    cullDeadZones();
    frame += 1;
    ++revision_;
}

bool BezelEngine::isQuiescent() const
{
    // An open drawer or edit mode at rest is as still as the bare edge; a clearing charge
    // waits for time to pass before it drains.
    if (dragSession || purgeCharge > 0)
        return false;
    const SpringValue* globals[] = { &editProgress, &plusAmplitude, &openProgress, &arrangeProgress, &openHeightValue, &prefsProgress,
        &blurScope, &clearing, &pullCount };
    for (const SpringValue* spring : globals) {
        if (!spring->isSettled)
            return false;
    }
    for (const auto* row : { &prefsRows, &prefsSwitches, &prefsHovers }) {
        for (const SpringValue& spring : *row) {
            if (!spring.isSettled)
                return false;
        }
    }
    return std::all_of(blobs.begin(), blobs.end(), [](const BlobRuntime& pocket) {
        return pocket.y.isSettled && pocket.amplitude.isSettled && pocket.life.isSettled && pocket.lean.isSettled
            && pocket.arrange.isSettled && pocket.swallow.isSettled;
    });
}

void BezelEngine::updateBottomInset(double inset)
{
    if (std::abs(inset - bottomInset) <= 0.5)
        return;
    bottomInset = inset;
    markChanged();
}

void BezelEngine::setSize(Size newSize)
{
    if (newSize != size) {
        size = newSize;
        markChanged();
    }
    if (!screenKnown_ && size.width > 0 && size.height > 0) {
        screenKnown_ = true;
        fitPocketsToScreen();
    }
}

const BlobRuntime* BezelEngine::pocket(const Uuid& id) const
{
    auto it = std::find_if(blobs.begin(), blobs.end(), [&](const BlobRuntime& b) { return b.config.id == id; });
    return it == blobs.end() ? nullptr : &*it;
}

BlobRuntime* BezelEngine::mutablePocket(const Uuid& id)
{
    return const_cast<BlobRuntime*>(std::as_const(*this).pocket(id));
}

} // namespace kestrane
