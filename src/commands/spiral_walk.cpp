#include "commands/spiral_walk.h"

#include <cmath>
#include <stdexcept>

#include "commands/labelling_pass.h"
#include "host/property_value.h"

namespace zkl {

namespace {

std::int64_t FirstCounter(double startCount, double step) {
    const double first = std::floor(startCount / step);
    if (first > static_cast<double>(FreePlaceProbeLimit)) return FreePlaceProbeLimit + 1;
    if (first < -static_cast<double>(FreePlaceProbeLimit)) return -FreePlaceProbeLimit;
    return static_cast<std::int64_t>(first);
}

double CheckedStep(double step) {
    if (!(step > 0.0) || !std::isfinite(step))
        throw std::invalid_argument(
            "the step distance of the free-place search must be a number greater than 0, not " +
            DoubleToText(step));
    return step;
}

}  // namespace

SpiralWalk::SpiralWalk(const Host& host, const Point& low, double step, double startCount)
    : host_(host),
      low_(low),
      step_(CheckedStep(step)),
      counter_(FirstCounter(startCount, step)),
      circle_(MakeEllipse(low, step, step)),
      circumference_(host.EllipseLength(circle_)) {}

bool SpiralWalk::Next() {
    if (steps_ > 0 && counter_ > FreePlaceProbeLimit) return false;
    while (true) {
        ++stepOnRing_;
        // Multiplying instead of adding up keeps a ring's last step exact, as the search does.
        const double arc = static_cast<double>(stepOnRing_) * step_;
        if (arc < circumference_) {
            ++counter_;
            ++steps_;
            offset_ = host_.EllipsePointAtDistance(circle_, arc) - low_;
            return true;
        }
        stepOnRing_ = 0;
        ++ring_;
        circle_.Ellipse().primaryRadius = ring_ * step_;
        circle_.Ellipse().secondaryRadius = ring_ * step_;
        circumference_ = host_.EllipseLength(circle_);
    }
}

std::vector<Point> ProbeCorners(const Range& labelBox, const Point& offset) {
    const Point k1 = labelBox.low + offset;
    const Point k3 = labelBox.high + offset;
    return {k1, Point{k3.x, k1.y, k1.z}, k3, Point{k1.x, k3.y, k3.z}};
}

bool ProbeIsFree(Host& host, const Range& labelBox, const Point& offset) {
    host.ClearFence();
    host.DefineFenceFromPoints(ProbeCorners(labelBox, offset), 1);
    return !host.FenceHasContents();
}

}  // namespace zkl
