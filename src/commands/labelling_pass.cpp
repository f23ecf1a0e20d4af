#include "commands/labelling_pass.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

#include "commands/clear_leader_pass.h"
#include "component/component_geometry.h"
#include "component/component_key.h"
#include "component/property_text.h"
#include "host/fence_modes_guard.h"
#include "label/interactive_placement.h"
#include "label/label_body.h"
#include "label/label_cell.h"

namespace zkl {

namespace {

// The progress text is only for the eye; beyond this many bars nobody counts them, and a
// counter started from a tiny step (3 / 1e-9) must not build a text of gigabytes.
constexpr std::int64_t MaximumProgressBars = 100000;

// The counter start floor(start / s), held where the loop can still count past the limit.
std::int64_t FirstCounter(double startCount, double step) {
    const double first = std::floor(startCount / step);
    if (first > static_cast<double>(FreePlaceProbeLimit)) return FreePlaceProbeLimit + 1;
    if (first < -static_cast<double>(FreePlaceProbeLimit)) return -FreePlaceProbeLimit;
    return static_cast<std::int64_t>(first);
}

// The progress text for `counter`, made from the one for counter - 1: a label's search may
// take thousands of probes, and building each text anew cost more than the probe itself.
void AdvanceProbeProgressText(std::string& text, std::int64_t counter) {
    if (counter <= 1 || counter / 10 > MaximumProgressBars) {
        text = ProbeProgressText(counter);
    } else if (counter % 10 == 0) {
        text.resize(text.size() - 9);
        text += '|';
    } else {
        text += '>';
    }
}

}  // namespace

std::string ProbeProgressText(std::int64_t counter) {
    if (counter <= 0) return "";
    const std::int64_t bars = std::min(counter / 10, MaximumProgressBars);
    return std::string(static_cast<std::size_t>(bars), '|') +
           std::string(static_cast<std::size_t>(counter % 10), '>');
}

FreePlaceSearch FindFreeLabelOffset(Host& host, const Point& low, const Point& high, double step,
                                    double startCount) {
    if (!(step > 0.0) || !std::isfinite(step))
        throw std::invalid_argument(
            "the step distance of the free-place search must be a number greater than 0, not " +
            DoubleToText(step));

    FenceModesGuard modes(host, OverlapFenceModes);
    host.ShowStatus(StatusField::Command, "Placing label");

    FreePlaceSearch search;
    std::int64_t counter = FirstCounter(startCount, step);
    std::string progress = ProbeProgressText(counter);
    // Ring k has radius k*s and its probes lie at arc lengths j*s; multiplying instead of
    // adding up keeps a ring's last step exact however many rings came before.
    int ring = 1;
    std::int64_t stepOnRing = 0;
    Element circle = MakeEllipse(low, step, step);
    std::vector<Point> corners(4);
    double circumference = host.EllipseLength(circle);
    while (true) {
        ++stepOnRing;
        const double arc = static_cast<double>(stepOnRing) * step;
        if (arc < circumference) {
            ++counter;
            AdvanceProbeProgressText(progress, counter);
            host.ShowStatus(StatusField::Prompt, progress);
            const Point v = host.EllipsePointAtDistance(circle, arc) - low;
            const Point k1 = low + v;
            const Point k3 = high + v;
            corners = {k1, {k3.x, k1.y, k1.z}, k3, {k1.x, k3.y, k3.z}};
            host.ClearFence();
            host.DefineFenceFromPoints(corners, 1);
            search.offset = v;
            search.free = !host.FenceHasContents();
            ++search.probes;
        } else {
            stepOnRing = 0;
            ++ring;
            circle.Ellipse().primaryRadius = ring * step;
            circle.Ellipse().secondaryRadius = ring * step;
            circumference = host.EllipseLength(circle);
        }
        if (search.free || counter > FreePlaceProbeLimit) break;
    }

    host.ShowStatus(StatusField::Command, "");
    host.ShowStatus(StatusField::Prompt, "");
    return search;
}

void ZoomToElement(Host& host, const Element& element) {
    Range range = host.ElementRange(element);
    // A component of an attachment has its range in its own model; the view shows it where
    // the attachment puts it.
    if (element.model != ActiveModelId) {
        const Transform3d toActive = host.Attachment(element.model).toActive;
        const Range local = range;
        range = Range::FromPoint(toActive.Apply(local.low));
        for (int i = 0; i < 8; ++i)
            range.Extend(
                toActive.Apply({(i & 1) ? local.high.x : local.low.x, (i & 2) ? local.high.y : local.low.y,
                                (i & 4) ? local.high.z : local.low.z}));
    }
    const double d = Distance(range.low, range.high);
    const Point margin{5 * d, 5 * d, 0};
    ViewArea area;
    area.origin = range.low - margin;
    area.extent = (range.high + margin) - (range.low - margin);
    area.rotation = Matrix3d::Identity();
    const int view = host.LastInputView();
    host.SetViewArea(view, area);
    host.RedrawView(view);
}

Range LabelBox(const Host& host, const std::vector<Element>& body) {
    if (body.empty()) throw std::invalid_argument("a label box needs at least one body element");
    auto boxOf = [&](const Element& element) {
        return element.IsText() ? host.TextBox(element) : host.ElementRange(element);
    };
    Range box = boxOf(body.front());
    for (std::size_t i = 1; i < body.size(); ++i) {
        const Range next = boxOf(body[i]);
        box.low.x = std::min(box.low.x, next.low.x);
        box.low.y = std::min(box.low.y, next.low.y);
        box.high.x = std::max(box.high.x, next.high.x);
        box.high.y = std::max(box.high.y, next.high.y);
    }
    return box;
}

PassResult LabelComponentsInBorder(mdlOPM_Labeller& module, const Element& border, LabellingManner manner,
                                   const ItemRows& labelItems,
                                   const std::function<void(const PassLabel&)>& onLabel) {
    Host& host = module.host;
    const bool automatic = manner == LabellingManner::Automatic;
    PassResult result;
    {
        FenceModesGuard modes(host, OverlapFenceModes);
        host.ClearFence();
        host.DefineFenceFromElement(border, host.LastInputView());
        const std::vector<Element> contents = host.FenceContents();
        host.ClearFence();
        std::optional<ClearLeaderPass> clearLeaders;
        if (automatic && module.placement.rule == PlacementRule::ClearLeader) clearLeaders.emplace(module, border);

        for (const Element& element : contents) {
            if (element.type != ElementType::Cell || !host.IsAttachedReference(element.model) ||
                GetObjectClassName(host, element) == "UNKNOWN")
                continue;

            std::vector<Element> body;
            std::vector<Point> keyPoints;
            const std::int16_t frameStyle =
                BuildLabelBody(module, element, labelItems, !automatic, body, &keyPoints);
            if (body.empty()) continue;

            PassLabel label;
            label.model = element.model;
            label.component = element.id;
            label.labelBox = LabelBox(host, body);
            label.anchor = keyPoints.back();
            const std::string key = ComponentKey(host, element, keyPoints);
            const LabelOrigin placedAutomatically{key, LabelPlacement::Automatic};

            if (automatic && clearLeaders) {
                // Where it stands is known only once the area's places are chosen together at the end of the pass.
                clearLeaders->Add(element, std::move(body), label.labelBox, label.anchor, placedAutomatically);
                result.labels.push_back(label);
                continue;
            } else if (automatic) {
                label.search = FindFreeLabelOffset(host, label.labelBox.low, label.labelBox.high,
                                                   module.settings.StepDistance, FreePlaceStartCount);
                CreateLabelCell(module, body, label.search.offset, label.anchor, Point{}, placedAutomatically);
            } else {
                host.SetHighlight(element, true);
                ZoomToElement(host, element);
                Point position{};
                const PlacementOutcome outcome =
                    PlaceLabelInteractive(module, body, false, label.anchor, position, frameStyle, Point{},
                                          {{key, LabelPlacement::ByHand}, {}});
                host.SetHighlight(element, false);
                if (outcome == PlacementOutcome::Quit) {
                    result.quit = true;
                    break;
                }
                if (outcome != PlacementOutcome::Placed) continue;
                label.search.offset = position;
            }
            result.labels.push_back(label);
            if (onLabel) onLabel(result.labels.back());
        }
        if (clearLeaders) {
            clearLeaders->Finish();
            for (std::size_t i = 0; i < result.labels.size(); ++i) {
                const ClearLeaderPlace& place = clearLeaders->Labels()[i].place;
                result.labels[i].search = place.search;
                result.labels[i].clearLeaderFallback = !place.clear;
                if (onLabel) onLabel(result.labels[i]);
            }
        }
    }
    host.ClearFence();
    return result;
}

}  // namespace zkl
