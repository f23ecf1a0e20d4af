// Plain records passed across the host interface: design-file tables, attachments, scan
// criteria, fence modes, user input, messages and views.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"

namespace zkl {

struct Level {
    int id = 0;
    std::string name;
    friend bool operator==(const Level&, const Level&) = default;
};

struct TextStyle {
    std::string name;
    double height = 1.0;
    double width = 1.0;
    std::string font = "monospace";
    friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

struct DimensionStyle {
    std::string name;
    double textHeight = 2.5;     // before the dimension's scale is applied
    int decimals = 0;            // digits after the point in measured texts
    DimensionOptions options;    // the defaults a new dimension of this style takes
    friend bool operator==(const DimensionStyle&, const DimensionStyle&) = default;
};

struct LineStyle {
    std::string name;
    // Dash pattern in drawing units (on, off, on, ...); empty for a solid line.
    std::vector<double> dashes;
    friend bool operator==(const LineStyle&, const LineStyle&) = default;
};

// A reference attachment of the active model, as the labeller sees it.
struct AttachmentInfo {
    ModelId model = ActiveModelId;
    std::string name;
    Transform3d toActive;          // attached-model coordinates -> active-model coordinates
    Transform3d toReference;       // the reverse
    double unitFactor = 1.0;       // units of the attached model (compare with the active one)
    double scaleDivisor = 1.0;     // what the dimension scale divides a cell's scale by
    bool displayed = true;
    Range range;                   // of its elements, in active-model coordinates
};

// Which elements of the active model a scan returns; an unset part does not restrict.
struct ScanCriteria {
    std::optional<std::set<ElementType>> types;
    std::optional<std::set<std::string>> levels;  // level names
    std::optional<Range> range;                   // elements whose range overlaps it (x, y)

    void ExcludeAllTypes() { types.emplace(); }
    void IncludeType(ElementType type) { if (!types) types.emplace(); types->insert(type); }
    void ExcludeAllLevels() { levels.emplace(); }
    void IncludeLevel(const std::string& name) { if (!levels) levels.emplace(); levels->insert(name); }
    void IncludeOnlyWithin(const Range& r) { range = r; }
};

// The three fence-mode switches of the active settings, in their fixed order. With
// overlap on and the others off a fence takes in what lies inside it or crosses it.
struct FenceModes {
    bool overlap = true;
    bool clip = false;
    bool outside = false;  // "void": take what lies outside instead
    friend bool operator==(const FenceModes&, const FenceModes&) = default;
};

enum class InputKind { DataPoint, Reset, Keyin };

// One user input, whatever produced it (canvas click, script line, test).
struct Input {
    InputKind kind = InputKind::Reset;
    Point point;
    int view = 1;
    std::string text;  // the key-in text for InputKind::Keyin

    static Input DataPoint(const Point& p, int view = 1) { return {InputKind::DataPoint, p, view, {}}; }
    static Input Reset() { return {}; }
    static Input Keyin(std::string text) { return {InputKind::Keyin, {}, 1, std::move(text)}; }
    friend bool operator==(const Input&, const Input&) = default;
};

// The key-in texts the host delivers for Ctrl+Reset and for Esc.
inline constexpr const char* CtrlResetKeyin = "INPUTMANAGER MENU main";
inline constexpr const char* EscapeKeyin = "INPUTMANAGER TRAINING HINT ";

struct Message {
    std::string text;
    std::string details;
    int priority = 12;
    bool alert = false;
    friend bool operator==(const Message&, const Message&) = default;
};

enum class StatusField { Command = 1, Prompt = 2 };

// A view's area in active-model coordinates: origin is the low corner, extent its size.
struct ViewArea {
    Point origin;
    Point extent{100, 100, 0};
    Matrix3d rotation;
    friend bool operator==(const ViewArea&, const ViewArea&) = default;

    Point Centre() const { return origin + extent * 0.5; }
    // The area scaled by `factor` (above 1 shows more) with `about` staying where it is.
    ViewArea ZoomedAbout(const Point& about, double factor) const {
        ViewArea zoomed = *this;
        zoomed.origin.x = about.x + (origin.x - about.x) * factor;
        zoomed.origin.y = about.y + (origin.y - about.y) * factor;
        zoomed.extent.x *= factor;
        zoomed.extent.y *= factor;
        return zoomed;
    }
};

// Hints of the drawing aid for the next point: its origin and a suggested distance.
struct DrawingAidHints {
    Point origin;
    std::optional<double> xDistance;
    std::optional<double> yDistance;
    friend bool operator==(const DrawingAidHints&, const DrawingAidHints&) = default;
};

}  // namespace zkl
