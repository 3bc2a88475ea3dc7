#include "engine/SpringValue.h"

#include <cmath>

namespace kestrane {

namespace {
constexpr double positionThreshold = 0.01;
constexpr double velocityThreshold = 0.05;
constexpr double maximumStep = 0.05;
constexpr double criticalLow = 0.9999;
constexpr double criticalHigh = 1.0001;
constexpr double twoPi = 6.283185307179586;

bool insideThresholds(double displacement, double velocity)
{
    return std::abs(displacement) < positionThreshold && std::abs(velocity) < velocityThreshold;
}
} // namespace

void SpringValue::step(double target, double dt, double response, double damping)
{
    // Written as !(dt > 0) so that NaN is ignored too.
    if (!(dt > 0))
        return;
    if (!(response > 0) || insideThresholds(value - target, velocity)) {
        snap(target);
        return;
    }

    const double d = value - target;
    const double u = velocity;
    const double omega = twoPi / response;
    // A long frame advances the spring by the maximum step only; the rest is dropped.
    const double h = std::fmin(dt, maximumStep);
    const double zeta = damping > 0 ? damping : 0;

    double x;
    double v;
    if (zeta < criticalLow) {
        const double omegaD = omega * std::sqrt(1 - zeta * zeta);
        const double a = zeta * omega;
        const double b = (u + a * d) / omegaD;
        const double e = std::exp(-a * h);
        const double c = std::cos(omegaD * h);
        const double s = std::sin(omegaD * h);
        x = e * (d * c + b * s);
        v = e * (-a * (d * c + b * s) + omegaD * (b * c - d * s));
    } else if (zeta > criticalHigh) {
        const double q = omega * std::sqrt(zeta * zeta - 1);
        const double r1 = -zeta * omega + q;
        const double r2 = -zeta * omega - q;
        const double a = (u - r2 * d) / (r1 - r2);
        const double c = d - a;
        const double e1 = std::exp(r1 * h);
        const double e2 = std::exp(r2 * h);
        x = a * e1 + c * e2;
        v = r1 * a * e1 + r2 * c * e2;
    } else {
        const double e = std::exp(-omega * h);
        x = e * (d + h * (u + omega * d));
        v = e * (u - h * omega * (u + omega * d));
    }

    if (insideThresholds(x, v)) {
        snap(target);
        return;
    }
    value = target + x;
    velocity = v;
    isSettled = false;
}

} // namespace kestrane
