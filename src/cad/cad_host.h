// CadHost: our drawing engine as the labeller's host. It owns one Drawing (the design file,
// the active model and the attachments) and the session around it: the undo journal, the
// selection and highlight, the fence, the input source and queued data points, the drag
// of the "move" key-in, the transient display, status fields, messages and message boxes.
//
// Coordinates are active-model drawing units unless an operation says otherwise; elements
// of an attachment keep their own model's coordinates and carry their model id. The input
// source and the prompter are shared with whoever supplies them (GUI, CLI, test).
#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cad/deep_overlap.h"
#include "cad/dimension_outline_cache.h"
#include "cad/turn_cache.h"
#include "cad/drawing.h"
#include "cad/element_geometry.h"
#include "cad/fence.h"
#include "cad/input_source.h"
#include "cad/prompter.h"
#include "cad/undo_journal.h"
#include "host/host.h"

namespace zkl::cad {

// The state of the "move" key-in: the selected elements follow the cursor from the base
// point. The base point is the first data point queued after the key-in.
struct DragState {
    std::vector<ElementId> elements;
    std::optional<Point> basePoint;
    int view = 1;
};

class CadHost : public Host {
public:
    explicit CadHost(Drawing drawing);

    Drawing& GetDrawing() { return drawing_; }
    const Drawing& GetDrawing() const { return drawing_; }

    // ---- Design file --------------------------------------------------------------------
    std::vector<Level> Levels() const override;
    Level FindLevel(std::string_view name) const override;
    Level CreateLevel(std::string_view name) override;
    void CommitLevels() override;
    std::vector<TextStyle> TextStyles() const override;
    TextStyle FindTextStyle(std::string_view name) const override;
    std::vector<DimensionStyle> DimensionStyles() const override;
    DimensionStyle FindDimensionStyle(std::string_view name) const override;
    LineStyle FindLineStyle(std::string_view name) const override;

    // How often CommitLevels was called.
    int LevelCommitCount() const { return levelCommits_; }

    // ---- Active model -------------------------------------------------------------------
    ElementId AddElement(Element& element) override;
    void RemoveElement(const Element& element) override;
    void RewriteElement(const Element& element) override;
    Element GetElement(ModelId model, ElementId id) const override;
    std::vector<Element> Scan(const ScanCriteria& criteria) const override;

    void ClearSelection() override;
    void SelectElement(const Element& element) override;
    std::vector<ElementId> SelectedElements() const override { return selection_; }
    void SetHighlight(const Element& element, bool on) override;
    const std::set<std::pair<ModelId, ElementId>>& Highlighted() const { return highlighted_; }

    UndoJournal& Journal() { return journal_; }
    const UndoJournal& Journal() const { return journal_; }

    // ---- Models and attachments ---------------------------------------------------------
    std::vector<AttachmentInfo> Attachments() const override;
    bool IsAttachedReference(ModelId model) const override;
    AttachmentInfo Attachment(ModelId model) const override;
    double ActiveUnitFactor() const override { return drawing_.activeUnitFactor; }

    // ---- Element geometry ---------------------------------------------------------------
    Range ElementRange(const Element& element) const override;
    Range TextBox(const Element& text) const override;
    std::vector<Point> Intersections(const Element& line, const Element& other,
                                     const Matrix3d& view = Matrix3d::Identity()) const override;
    double EllipseLength(const Element& ellipse) const override;
    Point EllipsePointAtDistance(const Element& ellipse, double distance) const override;

    PropertyHandler GetPropertyHandler(const Element& element) const override;

    // ---- Fence --------------------------------------------------------------------------
    FenceModes GetFenceModes() const override { return drawing_.fenceModes; }
    void SetFenceModes(const FenceModes& modes) override { drawing_.fenceModes = modes; }
    void ClearFence() override;
    void DefineFenceFromElement(const Element& element, int view) override;
    void DefineFenceFromPoints(const std::vector<Point>& points, int view) override;
    std::vector<Element> FenceContents() const override;
    bool FenceHasContents() const override;
    const Fence& CurrentFence() const { return fence_; }
    // The R-tree unless a benchmark asks for the linear scan it is measured against; both
    // give the same answers.
    void SetFenceProbeMethod(FenceProbeMethod method) { fenceProbeMethod_ = method; }
    FenceProbeMethod GetFenceProbeMethod() const { return fenceProbeMethod_; }

    // ---- Interaction --------------------------------------------------------------------
    void SendKeyin(std::string_view keyin) override;
    // Every key-in text as it was sent, in order.
    const std::vector<std::string>& KeyinLog() const { return keyinLog_; }
    const std::optional<DragState>& Drag() const { return drag_; }

    void SetInputSource(std::shared_ptr<InputSource> source);
    Input WaitForInput() override;
    // While a "move" waits for its base point the data point becomes that base point;
    // otherwise it is the next input WaitForInput delivers.
    void QueueDataPoint(const Point& point, int view) override;
    int LastInputView() const override { return lastInputView_; }

    std::optional<Element> LocateElement(const Point& point, int view) const override;
    // The pick tolerance in active-model units; without one set, 1% of the view's width.
    void SetPickTolerance(double distance);
    double PickTolerance(int view) const;

    ViewArea GetViewArea(int view) const override { return drawing_.View(view); }
    void SetViewArea(int view, const ViewArea& area) override { drawing_.View(view) = area; }
    Point ViewReferencePoint(int view) const override { return drawing_.View(view).Centre(); }
    // Scales the area in x and y; the view's depth is left as it is.
    void ZoomView(int view, const Point& about, double factor) override;
    void RedrawView(int view) override;
    int RedrawCount(int view) const;
    // Throws the HostError for a zoom factor that is not a positive number.
    static void CheckZoomFactor(int view, double factor);

    // Shows these elements in place of any shown before.
    void ShowTransient(const std::vector<Element>& elements) override { transient_ = elements; }
    void ClearTransient() override { transient_.clear(); }
    const std::vector<Element>& Transient() const { return transient_; }
    void SetDrawingAidHints(const DrawingAidHints& hints) override { drawingAidHints_ = hints; }
    const std::optional<DrawingAidHints>& GetDrawingAidHints() const { return drawingAidHints_; }
    // A front end forgets the hint once the command that gave it has ended.
    void ClearDrawingAidHints() { drawingAidHints_.reset(); }

    void ShowStatus(StatusField field, std::string_view text) override;
    const std::string& Status(StatusField field) const;
    void PostMessage(const Message& message) override { messages_.push_back(message); }
    const std::vector<Message>& Messages() const { return messages_; }
    void ShowMessageBox(std::string_view title, std::string_view text) override;
    void SetPrompter(std::shared_ptr<Prompter> prompter);
    const std::shared_ptr<Prompter>& GetPrompter() const { return prompter_; }

    std::string KeyinArguments() const override { return keyinArguments_; }
    void SetKeyinArguments(std::string arguments) { keyinArguments_ = std::move(arguments); }
    void StartDefaultCommand() override;
    int DefaultCommandCount() const { return defaultCommands_; }

    // ---- Active symbology -----------------------------------------------------------------
    int ActiveColour() const override { return drawing_.activeSymbology.colour; }
    std::string ActiveLineStyle() const override { return drawing_.activeSymbology.lineStyle; }
    int ActiveWeight() const override { return drawing_.activeSymbology.weight; }
    std::string ActiveLevelName() const override { return drawing_.activeSymbology.level; }

    std::string MacroProperty(std::string_view object, std::string_view property) const override;

private:
    // Calls visit(id) for each element of `model` the fence takes in, in no particular
    // order, until visit returns false; returns false when stopped early.
    bool VisitFenceTakesIn(ModelId model, const std::function<bool(ElementId)>& visit) const;
    // Whether the fence, under the current modes, takes in this element of `model`.
    bool TakesIn(const ElementStore::Entry& entry, ModelId model, const FenceTest& test) const;
    // The fence's bounds in the coordinates of `model`, which its index is kept in.
    Range FenceBoundsIn(ModelId model) const;
    // Whether an element the fence took in before is still taken in, exactly as a query of
    // its model would find it; false when it is gone.
    bool StillTakenIn(ModelId model, ElementId id) const;
    // Whether the fence lies so deep over a piece that blocked a fence before that it takes
    // its element in, which the exact test would confirm; false when that cannot be told
    // this cheaply.
    bool SurelyStillBlocked() const;
    void RememberBlocker(ModelId model, ElementId id) const;
    // Whether a piece of the element's outline meets the fence (overlap mode's rule), found
    // without building the whole outline; `toActive` is null for the active model.
    bool MeetsFence(const Element& element, const Transform3d* toActive, const FenceTest& test) const;
    // The models whose elements the fence and locate see: the active one, then the
    // displayed attachments in order.
    std::vector<ModelId> VisibleModels() const;
    bool IsVisible(ModelId model) const;
    // Prepares the fence test and forgets what was found for the fence before.
    void PrepareFence();
    const FenceTest& PreparedFence() const;
    void ForgetFenceBounds();
    // The outline of an element of `model` in active-model coordinates.
    Outline ActiveOutline(const Element& element, ModelId model) const;
    const Element& ActiveModelElementToChange(const Element& element, const char* change) const;
    void EndDrag() { drag_.reset(); }
    void UndoLastStep();
    void RedoLastStep();
    void ForgetMissingElements();

    Drawing drawing_;
    UndoJournal journal_;
    int levelCommits_ = 0;

    std::vector<ElementId> selection_;
    std::set<std::pair<ModelId, ElementId>> highlighted_;
    Fence fence_;
    // The fence prepared for testing, made at most once each time the fence is defined.
    mutable std::optional<FenceTest> fenceTest_;
    mutable bool fenceTestCurrent_ = false;
    // The fence's bounds in the attachments' coordinates, found for the current fence, and
    // each attachment's inverse transform, kept across fences while the attachment stays.
    struct ModelBounds {
        ModelId model;
        Transform3d toActive;
        Transform3d fromActive;
        std::optional<Range> bounds;
    };
    mutable std::vector<ModelBounds> fenceBoundsInModels_;
    FenceProbeMethod fenceProbeMethod_ = FenceProbeMethod::IndexAskingLastFirst;
    // The elements the last fence queries found, latest first, asked before the index.
    static constexpr std::size_t RecentlyTakenInKept = 4;
    mutable std::vector<std::pair<ModelId, ElementId>> recentlyTakenIn_;
    // The pieces through which the latest fences took elements in, in active coordinates,
    // the one that answered last first. Each is trusted only while its element (its
    // prepared pieces) and its attachment stay: a probe that lies deep over one needs no
    // exact test, and the probes of a search keep coming back past the same obstacles.
    struct SureBlocker {
        ModelId model;
        ElementId id;
        std::shared_ptr<const PreparedOutline> prepared;
        ConvexPiece piece;
    };
    static constexpr std::size_t SureBlockersKept = 64;
    mutable std::vector<SureBlocker> sureBlockers_;
    mutable DimensionOutlineCache dimensionOutlines_;
    mutable TurnCache turns_;

    std::vector<std::string> keyinLog_;
    std::optional<DragState> drag_;
    std::shared_ptr<InputSource> inputSource_;
    std::deque<Input> queuedDataPoints_;
    int lastInputView_ = 1;
    std::optional<double> pickTolerance_;

    std::array<int, ViewCount> redraws_{};
    std::vector<Element> transient_;
    std::optional<DrawingAidHints> drawingAidHints_;
    std::array<std::string, 2> status_;
    std::vector<Message> messages_;
    std::shared_ptr<Prompter> prompter_;
    std::string keyinArguments_;
    int defaultCommands_ = 0;
};

}  // namespace zkl::cad
