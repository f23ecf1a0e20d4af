// CadHost: the fence and locate, the two queries that see the active model and its
// displayed attachments together in active-model coordinates. Both find candidates through
// each model's R-tree and then test the exact outline.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <tuple>

#include "cad/cad_host.h"
#include "cad/prepared_outline.h"

namespace zkl::cad {

namespace {

DimensionStyleLookup StylesOf(const Drawing& drawing) {
    return [&drawing](const std::string& name) { return drawing.DimensionStyleOrDefault(name); };
}

std::vector<Point> Corners2d(const Range& range) {
    return {range.low,
            {range.high.x, range.low.y, range.low.z},
            {range.high.x, range.high.y, range.low.z},
            {range.low.x, range.high.y, range.low.z}};
}

// Whether two ranges meet in plan as the R-tree's boxes do: corners in either order, edges
// that touch count.
bool PlanBoxesMeet(const Range& a, const Range& b) {
    return std::max(std::min(a.low.x, a.high.x), std::min(b.low.x, b.high.x)) <=
               std::min(std::max(a.low.x, a.high.x), std::max(b.low.x, b.high.x)) &&
           std::max(std::min(a.low.y, a.high.y), std::min(b.low.y, b.high.y)) <=
               std::min(std::max(a.low.y, a.high.y), std::max(b.low.y, b.high.y));
}

// Drops the closing vertex: the fence keeps an open ring.
std::vector<Point> OpenRing(std::vector<Point> points) {
    if (points.size() > 1 && points.front() == points.back()) points.pop_back();
    return points;
}

}  // namespace

bool CadHost::IsVisible(ModelId model) const {
    return model == ActiveModelId || (model < drawing_.ModelCount() && drawing_.AttachmentOf(model).displayed);
}

std::vector<ModelId> CadHost::VisibleModels() const {
    std::vector<ModelId> models;
    for (ModelId model = ActiveModelId; model < drawing_.ModelCount(); ++model)
        if (IsVisible(model)) models.push_back(model);
    return models;
}

Outline CadHost::ActiveOutline(const Element& element, ModelId model) const {
    Outline outline = ElementOutline(element, StylesOf(drawing_));
    if (model != ActiveModelId) outline.ApplyTransform(drawing_.AttachmentOf(model).toActive);
    return outline;
}

// ---- Fence ------------------------------------------------------------------------------

void CadHost::ClearFence() {
    // The prepared test stays for its buffers; with no polygon no query reaches it.
    fence_.polygon.clear();
    ForgetFenceBounds();
}

void CadHost::ForgetFenceBounds() {
    for (ModelBounds& known : fenceBoundsInModels_) known.bounds.reset();
}

void CadHost::DefineFenceFromElement(const Element& element, int view) {
    drawing_.View(view);  // the fence is drawn in a view, which must exist
    std::vector<Point> polygon = element.type == ElementType::Shape ? OpenRing(element.Linear().vertices)
                                                                    : Corners2d(drawing_.RangeOf(element));
    if (element.model != ActiveModelId) {
        const Transform3d& toActive = drawing_.AttachmentOf(element.model).toActive;
        for (Point& point : polygon) point = toActive.Apply(point);
    }
    if (polygon.size() < 3)
        throw HostError("a fence cannot be defined from " + element.Describe() +
                        ": it has fewer than three corners");
    fence_.polygon = std::move(polygon);
    PrepareFence();
}

void CadHost::DefineFenceFromPoints(const std::vector<Point>& points, int view) {
    drawing_.View(view);
    const std::size_t corners = points.size() > 1 && points.front() == points.back() ? points.size() - 1 : points.size();
    if (corners < 3)
        throw HostError("a fence needs at least three points, " + std::to_string(corners) + " were given");
    // The buffers of the fence before are reused: a free-place search defines one per probe.
    fence_.polygon.assign(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(corners));
    PrepareFence();
}

void CadHost::PrepareFence() {
    // Prepared when first asked: a probe that lies deep over the piece that blocked the probe
    // before is answered without it.
    fenceTestCurrent_ = false;
    ForgetFenceBounds();
}

const FenceTest& CadHost::PreparedFence() const {
    if (!fenceTestCurrent_) {
        if (fenceTest_)
            fenceTest_->Assign(fence_);
        else
            fenceTest_.emplace(fence_);
        fenceTestCurrent_ = true;
    }
    return *fenceTest_;
}

bool CadHost::MeetsFence(const Element& element, const Transform3d* toActive, const FenceTest& test) const {
    // Only elements that hold a dimension are tested here; the pieces of everything else are
    // prepared (cad::PreparedOutline), here for this one test.
    switch (element.type) {
        case ElementType::Cell:
            for (const Element& component : element.Cell().components)
                if (MeetsFence(component, toActive, test)) return true;
            return false;
        case ElementType::Dimension:
            break;
        default:
            return PrepareOutline(element, toActive).Meets(test);
    }

    const Outline& own =
        dimensionOutlines_.Get(element, drawing_.DimensionStyleOrDefault(element.Dimension().style));
    std::optional<Outline> moved;
    if (toActive) {
        moved = own;
        moved->ApplyTransform(*toActive);
    }
    const Outline& outline = moved ? *moved : own;
    for (const Segment& segment : outline.segments)
        if (test.SegmentMeets(segment)) return true;
    for (const EllipseGeometry& ellipse : outline.ellipses)
        if (test.EllipseMeets(ellipse)) return true;
    for (const auto& solid : outline.solids)
        if (test.SolidMeets(solid)) return true;
    return false;
}

bool CadHost::TakesIn(const ElementStore::Entry& entry, ModelId model, const FenceTest& test) const {
    const FenceModes modes = drawing_.fenceModes;
    // In overlap mode an element is taken in as soon as one piece of it meets the fence, so
    // the test stops there; the other modes need the whole outline's relation.
    if (modes.overlap && !modes.outside) {
        const Transform3d* toActive = model == ActiveModelId ? nullptr : &drawing_.AttachmentOf(model).toActive;
        // The pieces are kept with the stored element, which a rewrite replaces; they are
        // made again only when the attachment has moved since.
        const bool current = entry.prepared && (toActive ? entry.prepared->toActive == *toActive
                                                         : !entry.prepared->toActive.has_value());
        if (!current) entry.prepared = std::make_shared<const PreparedOutline>(PrepareOutline(entry.element, toActive));
        return entry.prepared->complete ? entry.prepared->Meets(test) : MeetsFence(entry.element, toActive, test);
    }
    return Fence::TakesIn(fence_.Relate(ActiveOutline(entry.element, model)), modes);
}

Range CadHost::FenceBoundsIn(ModelId model) const {
    if (model == ActiveModelId) return PreparedFence().Bounds();
    // A free-place search asks this for every probe: the attachment's transform is inverted
    // once while it stays, and the bounds are found once for each fence.
    const Transform3d& toActive = drawing_.AttachmentOf(model).toActive;
    auto known = std::find_if(fenceBoundsInModels_.begin(), fenceBoundsInModels_.end(),
                              [&](const ModelBounds& bounds) { return bounds.model == model; });
    if (known == fenceBoundsInModels_.end()) {
        fenceBoundsInModels_.push_back({model, toActive, toActive.Inverse(), std::nullopt});
        known = std::prev(fenceBoundsInModels_.end());
    } else if (!(known->toActive == toActive)) {
        *known = {model, toActive, toActive.Inverse(), std::nullopt};
    }
    if (!known->bounds) known->bounds = TransformedRange(fence_.polygon, known->fromActive);
    return *known->bounds;
}

bool CadHost::VisitFenceTakesIn(ModelId model, const std::function<bool(ElementId)>& visit) const {
    const ElementStore& store = drawing_.Model(model);
    const FenceTest& fenceTest = PreparedFence();
    auto test = [&](ElementId id) { return TakesIn(store.EntryOf(id), model, fenceTest) ? visit(id) : true; };

    // A void fence takes in what lies outside it, which the fence's bounds cannot narrow.
    if (drawing_.fenceModes.outside) {
        for (const auto& [id, entry] : store.Entries())
            if (!test(id)) return false;
        return true;
    }
    const Range bounds = FenceBoundsIn(model);
    if (fenceProbeMethod_ == FenceProbeMethod::LinearScan) {
        for (const auto& [id, entry] : store.Entries())
            if (entry.range.Overlaps2d(bounds) && !test(id)) return false;
        return true;
    }
    return store.Index().Query(bounds, test);
}

bool CadHost::StillTakenIn(ModelId model, ElementId id) const {
    if (model >= drawing_.ModelCount()) return false;
    const ElementStore& store = drawing_.Model(model);
    const ElementStore::Entry* entry = store.FindEntry(id);
    if (!entry) return false;
    // Only what the query would look at counts: an element whose range misses the fence's
    // bounds is never tested there, however close it comes.
    if (!drawing_.fenceModes.outside && !PlanBoxesMeet(entry->range, FenceBoundsIn(model))) return false;
    return TakesIn(*entry, model, PreparedFence());
}

bool CadHost::SurelyStillBlocked() const {
    if (sureBlockers_.empty()) return false;
    const FenceModes modes = drawing_.fenceModes;
    if (!modes.overlap || modes.outside) return false;
    const std::optional<InnerRectangle> inner = InnerRectangleOf(fence_.polygon);
    if (!inner) return false;
    // The piece that blocked last first: it mostly blocks this probe too. The spiral comes
    // round again past the same obstacles, so pieces that blocked long ago are kept as well.
    for (std::size_t i = 0; i < sureBlockers_.size(); ++i) {
        const SureBlocker& blocker = sureBlockers_[i];
        if (!ReachesInto(blocker.piece, *inner)) continue;
        if (blocker.model >= drawing_.ModelCount()) continue;
        if (blocker.model != ActiveModelId) {
            const cad::Attachment& attachment = drawing_.AttachmentOf(blocker.model);
            if (!attachment.displayed || !(blocker.prepared->toActive == attachment.toActive)) continue;
        }
        const ElementStore::Entry* entry = drawing_.Model(blocker.model).FindEntry(blocker.id);
        if (!entry || entry->prepared != blocker.prepared) continue;
        // To the front, by one swap: moving the others down cost more than it saved.
        if (i > 0) std::swap(sureBlockers_[0], sureBlockers_[i]);
        return true;
    }
    return false;
}

void CadHost::RememberBlocker(ModelId model, ElementId id) const {
    if (!drawing_.fenceModes.overlap || drawing_.fenceModes.outside) return;
    const ElementStore::Entry* entry = drawing_.Model(model).FindEntry(id);
    // Only an element taken in through its prepared pieces names the piece that met.
    if (!entry || !entry->prepared || !entry->prepared->complete) return;
    const ConvexPiece piece = entry->prepared->LastMetPiece();
    if (piece.count == 0) return;
    if (sureBlockers_.size() == SureBlockersKept) sureBlockers_.pop_back();
    sureBlockers_.insert(sureBlockers_.begin(), SureBlocker{model, id, entry->prepared, piece});
}

std::vector<Element> CadHost::FenceContents() const {
    if (!fence_.Defined()) throw HostError("no fence is defined");
    std::vector<Element> contents;
    for (ModelId model : VisibleModels()) {
        std::vector<ElementId> ids;
        VisitFenceTakesIn(model, [&](ElementId id) {
            ids.push_back(id);
            return true;
        });
        std::sort(ids.begin(), ids.end());
        const ElementStore& store = drawing_.Model(model);
        for (ElementId id : ids) {
            contents.push_back(store.Get(id));
            contents.back().model = model;
        }
    }
    return contents;
}

bool CadHost::FenceHasContents() const {
    if (!fence_.Defined()) throw HostError("no fence is defined");
    // The probes of a free-place search lie a step apart, so what was in one fence is mostly
    // in the next, or in one of the few before: asking those first spares the index query.
    // Any one element taken in answers the question, so the answer is the same whichever is
    // found.
    const bool askRecent = fenceProbeMethod_ == FenceProbeMethod::IndexAskingLastFirst;
    if (askRecent) {
        if (SurelyStillBlocked()) return true;
        for (std::size_t i = 0; i < recentlyTakenIn_.size(); ++i) {
            const auto [model, id] = recentlyTakenIn_[i];
            if (IsVisible(model) && StillTakenIn(model, id)) {
                std::rotate(recentlyTakenIn_.begin(), recentlyTakenIn_.begin() + static_cast<std::ptrdiff_t>(i),
                            recentlyTakenIn_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
                RememberBlocker(model, id);
                return true;
            }
        }
    }
    for (ModelId model = ActiveModelId; model < drawing_.ModelCount(); ++model) {
        if (!IsVisible(model)) continue;
        const bool none = VisitFenceTakesIn(model, [&](ElementId id) {
            if (askRecent) {
                if (recentlyTakenIn_.size() == RecentlyTakenInKept) recentlyTakenIn_.pop_back();
                recentlyTakenIn_.insert(recentlyTakenIn_.begin(), {model, id});
                RememberBlocker(model, id);
            }
            return false;
        });
        if (!none) return true;
    }
    return false;
}

// ---- Locate -----------------------------------------------------------------------------

void CadHost::SetPickTolerance(double distance) {
    if (!(distance > 0.0))
        throw HostError("the pick tolerance must be greater than 0, not " + DoubleToText(distance));
    pickTolerance_ = distance;
}

double CadHost::PickTolerance(int view) const {
    // Through the virtual accessor, so a host whose view is a window picks at the window's zoom.
    const ViewArea area = GetViewArea(view);
    return pickTolerance_ ? *pickTolerance_ : 0.01 * std::abs(area.extent.x);
}

std::optional<Element> CadHost::LocateElement(const Point& point, int view) const {
    const double tolerance = PickTolerance(view);
    const Range probe{{point.x - tolerance, point.y - tolerance, point.z},
                      {point.x + tolerance, point.y + tolerance, point.z}};

    struct Hit {
        double distance;
        ModelId model;
        ElementId id;
    };
    std::optional<Hit> best;
    for (ModelId model : VisibleModels()) {
        const ElementStore& store = drawing_.Model(model);
        const Range query =
            model == ActiveModelId
                ? probe
                : TransformedRange(Corners2d(probe), drawing_.AttachmentOf(model).toActive.Inverse());
        store.Index().Query(query, [&](ElementId id) {
            const double distance = DistanceToOutline2d(point, ActiveOutline(store.Get(id), model));
            // Equal distances go to the active model first, then to the lower id.
            const Hit hit{distance, model, id};
            auto key = [](const Hit& h) { return std::tie(h.distance, h.model, h.id); };
            if (distance <= tolerance && (!best || key(hit) < key(*best))) best = hit;
            return true;
        });
    }
    if (!best) return std::nullopt;
    return GetElement(best->model, best->id);
}

}  // namespace zkl::cad
