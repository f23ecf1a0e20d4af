// What a PCF component's point lines mean, and how the components of a pipeline connect.
// Exporters write points in any order, tees with their run in any two of three lines,
// bends with a corner that may be missing or lie on an end, and pipelines in any
// component order with straight runs cut into pieces; these functions recover the shape
// from coordinates alone. Millimetres; the connection tolerance is 0.5 mm.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "io/pcf_model.h"

namespace zkl::io::pcf {

inline constexpr double ConnectionTolerance = 0.5;

// Fills ends, centre, branches and deflection from the point lines by the component's
// shape. Returns why the component cannot be drawn when its points do not suffice (a
// bend whose corner is missing is not refused here: see RepairCorners).
std::optional<std::string> ResolvePoints(Component& component);

// A component's connection points: its ends, then its branches.
std::vector<Point> Ports(const Component& component);

struct PortId {
    std::size_t component = 0;
    std::size_t port = 0;

    friend bool operator==(const PortId&, const PortId&) = default;
};

// For every component and port, the port of another component lying within the
// tolerance, if any (the nearest when several do).
struct Connectivity {
    std::vector<std::vector<std::optional<PortId>>> links;
};

Connectivity Connect(const std::vector<Component>& components);

// Component indices in flow order: each connected group walked from an open end (a
// component's first end when one is open, the first in file order), a run before its
// branches; groups in file order of their start.
std::vector<std::size_t> FlowOrder(const std::vector<Component>& components,
                                   const Connectivity& connectivity);

// Bends without a usable corner get one where the legs of their connected neighbours
// meet. Returns, per component index, why a bend's corner could not be found; those
// components are to be skipped.
std::vector<std::pair<std::size_t, std::string>> RepairCorners(std::vector<Component>& components);

}  // namespace zkl::io::pcf
