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
    // The state's derivative (x', v') at a point (x, v).
    auto f = [&](double x, double v) { return std::pair { v, -omega * omega * x - 2 * zeta * omega * v }; };
    double x = s.value - target, v = s.velocity;
    const double dt = h / 20000;
    for (int i = 0; i < 20000; ++i) {
        const auto [k1x, k1v] = f(x, v);
        const auto [k2x, k2v] = f(x + dt / 2 * k1x, v + dt / 2 * k1v);
        const auto [k3x, k3v] = f(x + dt / 2 * k2x, v + dt / 2 * k2v);
        const auto [k4x, k4v] = f(x + dt * k3x, v + dt * k3v);
        x += dt / 6 * (k1x + 2 * k2x + 2 * k3x + k4x);
        v += dt / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
    }
    return { target + x, v, false };
}

} // namespace

TEST(SpringValue, ClosedFormMatchesNumericalIntegrationInEveryRegime)
{
    for (double damping : { 0.0, 0.3, 0.56, 0.9, 0.99989, 0.9999, 1.0, 1.0001, 1.00011, 1.5, 3.0 }) {
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
                EXPECT_NEAR(closed.velocity, reference.velocity, 1e-4);
            }
        }
    }
}

// Each case's expectation is a number or the reference integration, never the code under test.
TEST(SpringValue, EdgeCasesOfAStep)
{
    struct Case {
        const char* name;
        SpringValue start;
        double target, dt, response, damping;
        SpringValue expected;
    };
    const SpringValue moving { 3, 7, false }, rest = SpringValue::atRest(0);
    const Case cases[] = {
        { "zero frame", moving, 10, 0, 0.3, 0.7, moving },
        { "negative frame", moving, 10, -1, 0.3, 0.7, moving },
        { "NaN frame", moving, 10, std::numeric_limits<double>::quiet_NaN(), 0.3, 0.7, moving },
        { "zero response jumps", moving, 10, 0.016, 0, 0.7, SpringValue::atRest(10) },
        { "inside the thresholds", { 10.005, 0.04, false }, 10, 0.016, 0.3, 0.7, SpringValue::atRest(10) },
        { "at rest on its target", SpringValue::atRest(5), 5, 2.0, 0.3, 0.7, SpringValue::atRest(5) },
        { "a long frame advances 0.05 s only", rest, 1, 1.0, 0.3, 0.72, integrate(rest, 1, 0.05, 0.3, 0.72) },
        { "negative damping is undamped", rest, 1, 0.016, 0.3, -2, integrate(rest, 1, 0.016, 0.3, 0) },
        { "settled, the target moves", rest, 100, 0.016, 0.3, 0.72, integrate(rest, 100, 0.016, 0.3, 0.72) },
    };
    for (const Case& c : cases) {
        SpringValue s = c.start;
        s.step(c.target, c.dt, c.response, c.damping);
        EXPECT_NEAR(s.value, c.expected.value, 1e-6) << c.name;
        EXPECT_NEAR(s.velocity, c.expected.velocity, 1e-4) << c.name;
        EXPECT_EQ(s.isSettled, c.expected.isSettled) << c.name;
    }
}
