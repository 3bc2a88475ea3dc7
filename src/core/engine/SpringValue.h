#pragma once

namespace kestrane {

// A scalar pulled toward a target by a damped harmonic spring, advanced with the exact
// closed-form solution so that any frame length is stable.
struct SpringValue {
    double value = 0;
    double velocity = 0;
    bool isSettled = true;

    static SpringValue atRest(double value) { return { value, 0, true }; }

    // response: period of the undamped oscillation in seconds; damping: damping ratio.
    void step(double target, double dt, double response, double damping);
    void snap(double target) { *this = atRest(target); }

    bool operator==(const SpringValue&) const = default;
};

} // namespace kestrane
