#include "engine/SpringValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using kestrane::SpringValue;

namespace {

// Integrates x'' = -ω²x - 2ζωx' with a fine RK4, as a reference for the closed form.
// Inside the critical band the spring is meant to move exactly as a critically damped one.
SpringValue integrate(SpringValue s, double target, double h, double response, double damping)
{
    const double omega = 6.283185307179586 / response;
    const bool critical = damping >= 0.9999 && damping <= 1.0001;
    const double zeta = critical ? 1.0 : (damping > 0 ? damping : 0);
    auto acc = [&](double x, double v) { return -omega * omega * x - 2 * zeta * omega * v; };
    double x = s.value - target;
    double v = s.velocity;
    const int steps = 20000;
    const double dt = h / steps;
    for (int i = 0; i < steps; ++i) {
        double k1x = v, k1v = acc(x, v);
        double k2x = v + dt / 2 * k1v, k2v = acc(x + dt / 2 * k1x, v + dt / 2 * k1v);
        double k3x = v + dt / 2 * k2v, k3v = acc(x + dt / 2 * k2x, v + dt / 2 * k2v);
        double k4x = v + dt * k3v, k4v = acc(x + dt * k3x, v + dt * k3v);
        x += dt / 6 * (k1x + 2 * k2x + 2 * k3x + k4x);
        v += dt / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
    }
    return { target + x, v, false };
}

} // namespace

TEST(SpringValue, ClosedFormMatchesNumericalIntegrationInEveryRegime)
{
    const double dampings[] = { 0.0, 0.3, 0.56, 0.9, 0.99989, 0.9999, 1.0, 1.0001, 1.00011, 1.5, 3.0 };
    for (double damping : dampings) {
        for (double response : { 0.1, 0.34, 1.4 }) {
            SpringValue closed { 40, -300, false };
            SpringValue reference = closed;
            for (int frame = 0; frame < 3; ++frame) {
                const double target = 100 + 10 * frame;
                reference = integrate(closed, target, 0.016, response, damping);
                closed.step(target, 0.016, response, damping);
                if (closed.isSettled)
                    break;
                EXPECT_NEAR(closed.value, reference.value, 1e-6) << "damping " << damping << " response " << response;
                EXPECT_NEAR(closed.velocity, reference.velocity, 1e-4) << "damping " << damping << " response " << response;
            }
        }
    }
}

TEST(SpringValue, IgnoresNonPositiveOrNanFrameLengths)
{
    for (double dt : { 0.0, -1.0, std::numeric_limits<double>::quiet_NaN() }) {
        SpringValue s { 3, 7, false };
        s.step(10, dt, 0.3, 0.7);
        EXPECT_EQ(s, (SpringValue { 3, 7, false }));
    }
}

TEST(SpringValue, SnapsOnZeroResponseAndInsideTheThresholds)
{
    SpringValue jump { 3, 7, false };
    jump.step(10, 0.016, 0, 0.7);
    EXPECT_EQ(jump, SpringValue::atRest(10));

    SpringValue close { 10.005, 0.04, false };
    close.step(10, 0.016, 0.3, 0.7);
    EXPECT_EQ(close, SpringValue::atRest(10));

    SpringValue resting = SpringValue::atRest(5);
    for (double dt : { 0.001, 0.016, 2.0 }) {
        resting.step(5, dt, 0.3, 0.7);
        EXPECT_EQ(resting, SpringValue::atRest(5));
    }
}

TEST(SpringValue, LongFramesAdvanceByTheMaximumStepOnly)
{
    SpringValue a = SpringValue::atRest(0);
    SpringValue b = a;
    a.step(1, 1.0, 0.3, 0.72);
    b.step(1, 0.05, 0.3, 0.72);
    EXPECT_EQ(a, b);
    EXPECT_FALSE(a.isSettled);
}

TEST(SpringValue, UnderDampedOvershootsAndCriticalNeverDoes)
{
    auto peak = [](double damping) {
        SpringValue s = SpringValue::atRest(0);
        double highest = 0;
        for (int i = 0; i < 600 && !(s.isSettled && s.value == 1); ++i) {
            s.step(1, 1.0 / 120, 0.46, damping);
            highest = std::max(highest, s.value);
        }
        EXPECT_TRUE(s.isSettled);
        EXPECT_EQ(s.value, 1);
        return highest;
    };
    EXPECT_GT(peak(0.56), 1.05);
    EXPECT_LE(peak(1.0), 1.0);
    EXPECT_LE(peak(0.9999), 1.0);
    EXPECT_LE(peak(1.0001), 1.0);
    EXPECT_LE(peak(2.0), 1.0);
}

TEST(SpringValue, NegativeDampingIsTreatedAsUndamped)
{
    SpringValue negative = SpringValue::atRest(0);
    SpringValue zero = negative;
    negative.step(1, 0.016, 0.3, -2);
    zero.step(1, 0.016, 0.3, 0);
    EXPECT_EQ(negative, zero);
}

TEST(SpringValue, SettledSpringStartsAgainWhenTheTargetMoves)
{
    SpringValue s = SpringValue::atRest(0);
    s.step(100, 0.016, 0.3, 0.72);
    EXPECT_FALSE(s.isSettled);
    EXPECT_GT(s.value, 0);
    EXPECT_LT(s.value, 100);
}
