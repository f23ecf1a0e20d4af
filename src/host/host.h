// The one interface the labeller calls: everything it asks of the CAD application that hosts
// it. Our drawing engine (cad/CadHost) implements it; another CAD application can run the
// labeller by implementing it too.
//
// Conventions: coordinates are active-model drawing units unless an operation says
// otherwise; elements go in and out as values (see host/element.h). Every failure is a
// HostError whose message tells the user what was asked for and why it failed. Reading
// operations the labeller means to tolerate (property reads) catch HostError themselves.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "host/host_error.h"
#include "host/host_types.h"
#include "host/property_value.h"

namespace zkl {

class Host {
public:
    virtual ~Host() = default;

    // ---- Design file: levels and styles -------------------------------------------------
    virtual std::vector<Level> Levels() const = 0;
    // Throws HostError "level 'X' does not exist in the design file".
    virtual Level FindLevel(std::string_view name) const = 0;
    virtual Level CreateLevel(std::string_view name) = 0;
    // Makes created levels permanent in the design file.
    virtual void CommitLevels() = 0;
    virtual std::vector<TextStyle> TextStyles() const = 0;
    virtual TextStyle FindTextStyle(std::string_view name) const = 0;
    virtual std::vector<DimensionStyle> DimensionStyles() const = 0;
    virtual DimensionStyle FindDimensionStyle(std::string_view name) const = 0;
    virtual LineStyle FindLineStyle(std::string_view name) const = 0;

    // ---- Active model -------------------------------------------------------------------
    // Adds a copy of the element to the active model: a new id is given to it (and written
    // back into `element`), whatever id it carried before.
    virtual ElementId AddElement(Element& element) = 0;
    virtual void RemoveElement(const Element& element) = 0;
    // Writes a changed copy of an element of the active model back, matched by id.
    virtual void RewriteElement(const Element& element) = 0;
    // The current value of an element of the active model or of an attachment.
    virtual Element GetElement(ModelId model, ElementId id) const = 0;
    // Elements of the active model that meet the criteria, in the model's order.
    virtual std::vector<Element> Scan(const ScanCriteria& criteria) const = 0;

    virtual void ClearSelection() = 0;
    virtual void SelectElement(const Element& element) = 0;
    virtual std::vector<ElementId> SelectedElements() const = 0;
    virtual void SetHighlight(const Element& element, bool on) = 0;

    // ---- Models and attachments ---------------------------------------------------------
    virtual std::vector<AttachmentInfo> Attachments() const = 0;
    // True for models attached to the active model as references (the plant model).
    virtual bool IsAttachedReference(ModelId model) const = 0;
    // Throws HostError for the active model, which is attached to nothing.
    virtual AttachmentInfo Attachment(ModelId model) const = 0;
    virtual double ActiveUnitFactor() const = 0;

    // ---- Element geometry the host computes -----------------------------------------------
    // The range of an element in its own model's coordinates (texts by their box).
    virtual Range ElementRange(const Element& element) const = 0;
    // A text's box as the axis-aligned low and high corners of its outline.
    virtual Range TextBox(const Element& text) const = 0;
    // Points where a line or line string meets another element (line, line string, shape,
    // ellipse), in order along the first element. `view` orients the test (identity: plan).
    virtual std::vector<Point> Intersections(const Element& line, const Element& other,
                                             const Matrix3d& view = Matrix3d::Identity()) const = 0;
    virtual double EllipseLength(const Element& ellipse) const = 0;
    // The point at arc length `distance` from the ellipse's start (the end of its primary
    // axis), counter-clockwise.
    virtual Point EllipsePointAtDistance(const Element& ellipse, double distance) const = 0;

    // ---- Component properties -----------------------------------------------------------
    // The handler may read the element's properties in place: use it while the element is
    // at hand.
    virtual PropertyHandler GetPropertyHandler(const Element& element) const = 0;

    // ---- Fence --------------------------------------------------------------------------
    virtual FenceModes GetFenceModes() const = 0;
    virtual void SetFenceModes(const FenceModes& modes) = 0;
    virtual void ClearFence() = 0;
    // The fence takes the outline of a closed shape (or a cell's range) in the given view.
    virtual void DefineFenceFromElement(const Element& element, int view) = 0;
    virtual void DefineFenceFromPoints(const std::vector<Point>& points, int view) = 0;
    // Elements of the active model and of the displayed attachments (as located in
    // active-model coordinates) that the fence takes in under the current fence modes, in a
    // stable order: active model first, then attachments in order, each in model order.
    virtual std::vector<Element> FenceContents() const = 0;
    // Whether FenceContents would be non-empty; stops at the first element it finds.
    virtual bool FenceHasContents() const = 0;

    // ---- Interaction --------------------------------------------------------------------
    virtual void SendKeyin(std::string_view keyin) = 0;
    // The next user input; a host with nothing more to give answers Reset.
    virtual Input WaitForInput() = 0;
    virtual void QueueDataPoint(const Point& point, int view) = 0;
    virtual int LastInputView() const = 0;
    // The element nearest a data point within the pick tolerance, over the active model and
    // the displayed attachments; attachment elements come back in their own coordinates.
    virtual std::optional<Element> LocateElement(const Point& point, int view) const = 0;

    virtual ViewArea GetViewArea(int view) const = 0;
    virtual void SetViewArea(int view, const ViewArea& area) = 0;
    virtual Point ViewReferencePoint(int view) const = 0;
    // factor > 1 zooms out (shows more), < 1 zooms in; the point stays where it is.
    virtual void ZoomView(int view, const Point& about, double factor) = 0;
    virtual void RedrawView(int view) = 0;

    virtual void ShowTransient(const std::vector<Element>& elements) = 0;
    virtual void ClearTransient() = 0;
    virtual void SetDrawingAidHints(const DrawingAidHints& hints) = 0;

    // Empty text clears the field.
    virtual void ShowStatus(StatusField field, std::string_view text) = 0;
    virtual void PostMessage(const Message& message) = 0;
    // A modal box with an OK button; lines of `text` are separated by "\r".
    virtual void ShowMessageBox(std::string_view title, std::string_view text) = 0;

    // The argument text of the key-in that started the labeller, empty when there was none.
    virtual std::string KeyinArguments() const = 0;
    virtual void StartDefaultCommand() = 0;

    // ---- Active symbology -------------------------------------------------------------------
    virtual int ActiveColour() const = 0;
    virtual std::string ActiveLineStyle() const = 0;
    virtual int ActiveWeight() const = 0;
    virtual std::string ActiveLevelName() const = 0;

    // ---- Macro environment --------------------------------------------------------------
    // A named property of a named object of the macro environment, such as
    // ("activevbproject", "FileName"). Throws HostError for names it does not know.
    virtual std::string MacroProperty(std::string_view object, std::string_view property) const = 0;
};

}  // namespace zkl
