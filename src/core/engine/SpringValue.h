#pragma once

namespace kestrane {

// How a spring moves: response is the period of the undamped oscillation in seconds,
// damping the damping ratio (1 settles without overshoot).
struct SpringMotion {
    double response = 0;
    double damping = 0;
};

// A scalar pulled toward a target by a damped harmonic spring, advanced with the exact
// closed-form solution so that any frame length is stable.
struct SpringValue {
    double value = 0;
    double velocity = 0;
    bool isSettled = true;

    static SpringValue atRest(double value) { return { value, 0, true }; }

    // response: period of the undamped oscillation in seconds; damping: damping ratio.
    void step(double target, double dt, double response, double damping);
    void step(double target, double dt, SpringMotion motion) { step(target, dt, motion.response, motion.damping); }
    void snap(double target) { *this = atRest(target); }

    bool operator==(const SpringValue&) const = default;
};

} // namespace kestrane
