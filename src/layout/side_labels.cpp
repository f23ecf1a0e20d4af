#include "layout/side_labels.h"

#include <set>
#include <utility>

#include "host/numbers.h"
#include "label/label_body.h"
#include "label/label_cell.h"

namespace zkl {

namespace {

// Origins closer than this are the same place.
constexpr double CoincidenceDistance = 0.001;
// Size of a grid name's text, independent of the label text size.
constexpr double GridNameTextSize = 3.0;

constexpr BorderSide AllSides[] = {BorderSide::Left, BorderSide::Right, BorderSide::Bottom, BorderSide::Top};

bool RunsAlongX(BorderSide side) { return side == BorderSide::Bottom || side == BorderSide::Top; }

// The unit vector pointing away from the drawing area, in the order of BorderSide.
constexpr Point OutwardOf[] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}};
Point Outward(BorderSide side) { return OutwardOf[static_cast<int>(side)]; }

// Gives `point` the coordinate of the box's edge on `side`, across the side.
void MoveOntoEdge(Point& point, BorderSide side, const Range& box) {
    const Point out = Outward(side);
    if (out.x != 0)
        point.x = out.x < 0 ? box.low.x : box.high.x;
    else
        point.y = out.y < 0 ? box.low.y : box.high.y;
}

bool IsGridName(const Element& text) { return text.Text().justification == GridNameJustification; }

Point& OriginOf(Element& text) { return text.Text().origin; }
const Point& OriginOf(const Element& text) { return text.Text().origin; }

// The three leader vertices and, for a side label, the underline's far end. PlaceSideText
// put a side label's origin U along the side from its point (left of it on BOTTOM and TOP,
// above it on LEFT and RIGHT) and W out; a grid name stands at its point, W + 2.5 out. The
// leader undoes exactly these offsets, so it starts on the dimension line, H out.
struct LabelGeometry {
    Point v0, v1, v2;
    Point underlineEnd;
};

Point AlongSideShift(BorderSide side, bool gridName, double u) {
    if (gridName) return {};
    return RunsAlongX(side) ? Point{u, 0, 0} : Point{0, -u, 0};
}

LabelGeometry LeaderStart(BorderSide side, bool gridName, const Point& origin, double d1, double d2,
                          double u) {
    const Point outward = Outward(side);
    const double inset = gridName ? GridNameCircleRadius : 0.0;
    const Point shifted = origin + AlongSideShift(side, gridName, u);
    LabelGeometry geometry;
    geometry.v0 = shifted - outward * (inset + d2 + d1);
    geometry.v1 = shifted - outward * (inset + d2);
    return geometry;
}

void FinishLeader(LabelGeometry& geometry, BorderSide side, bool gridName, const Point& finalOrigin,
                  const Range& box, double u) {
    const double inset = gridName ? GridNameCircleRadius : 0.0;
    geometry.v2 = finalOrigin + AlongSideShift(side, gridName, u) - Outward(side) * inset;
    // The underline runs from the leader's end out to the far edge of the text.
    geometry.underlineEnd = geometry.v2;
    MoveOntoEdge(geometry.underlineEnd, side, box);
}

Symbology LabelGraphicsSymbology(const mdlOPM_Labeller& module) {
    const Host& host = module.host;
    Symbology symbology;
    symbology.level = host.FindLevel(module.settings.DimLevelName).name;
    symbology.colour = host.ActiveColour();
    symbology.lineStyle = host.ActiveLineStyle();
    symbology.weight = host.ActiveWeight();
    return symbology;
}

// Pushes `label` along the side until it keeps the minimum gap to `previous`, which has its
// final place already; labels only ever move right (along x) or down (along y).
void KeepGap(Host& host, const Element& previous, Element& label, BorderSide side, double u) {
    const double gap = MinimumGap(u, IsGridName(previous), IsGridName(label));
    const Range previousBox = host.TextBox(previous);
    const Range box = host.TextBox(label);
    if (RunsAlongX(side)) {
        if (box.low.x - previousBox.high.x >= gap) return;
        OriginOf(label).x += previousBox.high.x - box.low.x + gap;
    } else {
        if (previousBox.low.y - box.high.y >= gap) return;
        OriginOf(label).y -= box.high.y - previousBox.low.y + gap;
    }
    host.RewriteElement(label);
}

void AddLabelCell(mdlOPM_Labeller& module, const Element& label, const LabelGeometry& geometry) {
    Host& host = module.host;
    const Symbology symbology = LabelGraphicsSymbology(module);

    Element text = label;
    text.id = NoElementId;
    text.model = ActiveModelId;
    Element frame = IsGridName(label)
                        ? MakeEllipse(OriginOf(label), GridNameCircleRadius, GridNameCircleRadius)
                        : MakeLine(geometry.v2, geometry.underlineEnd);
    frame.symbology = symbology;
    Element leader = MakeLineString({geometry.v0, geometry.v1, geometry.v2});
    leader.symbology = symbology;

    Element cell = MakeCell(std::string(LabelCellName),
                            {std::move(text), std::move(frame), std::move(leader)}, geometry.v0, false);
    RecordLabelOrigin(cell, {"", LabelPlacement::Side});
    host.AddElement(cell);
}

// The plain decimal number at the start of `text` (sign, digits, fraction, exponent).
std::string_view LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    const auto digits = [&] {
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        digits();
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t exponent = i + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (exponent < text.size() && text[exponent] >= '0' && text[exponent] <= '9') {
            i = exponent;
            digits();
        }
    }
    return text.substr(0, i);
}

}  // namespace

std::string_view SideName(BorderSide side) {
    constexpr std::string_view names[] = {"LEFT", "RIGHT", "BOTTOM", "TOP"};
    return names[static_cast<int>(side)];
}

BorderSide NearestSide(const Point& point, const Range& border) {
    double distance = point.x - border.low.x;
    BorderSide side = BorderSide::Left;
    if (border.high.x - point.x < distance) {
        distance = border.high.x - point.x;
        side = BorderSide::Right;
    }
    if (point.y - border.low.y < distance) {
        distance = point.y - border.low.y;
        side = BorderSide::Bottom;
    }
    if (border.high.y - point.y < distance) side = BorderSide::Top;
    return side;
}

std::string_view FirstWord(std::string_view text) { return text.substr(0, text.find(' ')); }

double TextElevation(std::string_view text) {
    for (std::size_t at = text.find("EL"); at != std::string_view::npos; at = text.find("EL", at + 1)) {
        // Only an "EL" that starts a word is an elevation; inside "STEEL-3" or "DIESEL-2" the
        // number after it is part of a name and would decide wrongly which coincident label
        // stays.
        if (at != 0 && text[at - 1] != ' ') continue;
        std::string_view rest = text.substr(at + 2);
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        try {
            return TextToDouble(LeadingNumber(rest));
        } catch (const ConversionError&) {
            continue;  // no number follows this "EL" (a word such as ELBOW)
        }
    }
    return 0.0;
}

double MinimumGap(double underlineDistance, bool firstIsGridName, bool secondIsGridName) {
    return 2.0 * underlineDistance + (firstIsGridName ? 1.0 : 0.0) + (secondIsGridName ? 1.0 : 0.0);
}

void PlaceSideLabels(mdlOPM_Labeller& module, const Range& border, SideLabelMap& map, const GridLines& lines,
                     double dimHeight) {
    Host& host = module.host;
    const LabellerSettings& settings = module.settings;
    std::vector<Element> sideTexts[4];
    const auto listOf = [&](BorderSide side) -> std::vector<Element>& {
        return sideTexts[static_cast<int>(side)];
    };

    // A bare word is dropped when an earlier text with an elevation starts with it: the
    // elevated text names the same line and says more.
    std::set<std::string, std::less<>> elevatedWords;
    for (const std::string& key : map.Keys()) {
        const std::string_view word = FirstWord(key);
        if (key.find("EL") != std::string::npos)
            elevatedWords.emplace(word);
        else if (elevatedWords.count(word) != 0)
            map.Remove(word);
    }

    for (const auto& [text, value] : map.Entries()) {
        Point q = MapValueToPoint(value);
        const BorderSide side = NearestSide(q, border);
        MoveOntoEdge(q, side, border);
        listOf(side).push_back(PlaceSideText(module, text, q, SideName(side), dimHeight));
    }

    if (HasGridLines(lines)) {
        const double out =
            settings.LabelDistance1 + dimHeight + settings.LabelDistance2 + GridNameCircleRadius;
        const auto addGridName = [&](const std::string& name, const Point& origin, BorderSide side) {
            Element text = MakeText(name, origin);
            ApplyTextAttributes(host, text, settings.DimLevelName, settings.TextStyleName, GridNameTextSize,
                                GridNameTextSize, GridNameJustification);
            host.AddElement(text);
            listOf(side).push_back(std::move(text));
        };
        for (const GridLine& line : lines) {
            if (line.axis == "Y") {
                addGridName(line.name, {border.low.x - out, line.position, 0}, BorderSide::Left);
                addGridName(line.name, {border.high.x + out, line.position, 0}, BorderSide::Right);
            } else if (line.axis == "X") {
                addGridName(line.name, {line.position, border.low.y - out, 0}, BorderSide::Bottom);
                addGridName(line.name, {line.position, border.high.y + out, 0}, BorderSide::Top);
            }
        }
    }

    for (BorderSide side : AllSides) StackSideLabels(module, listOf(side), side);
}

void StackSideLabels(mdlOPM_Labeller& module, std::vector<Element>& texts, BorderSide side) {
    if (texts.empty()) return;
    Host& host = module.host;
    const LabellerSettings& settings = module.settings;
    const double d1 = settings.LabelDistance1, d2 = settings.LabelDistance2, u = settings.UnderlineDistance;

    // An exchange sort, not a stable one: which of two labels at the same place comes first
    // decides which one the spacing pushes, and this order is the one users know.
    const bool alongX = RunsAlongX(side);
    for (std::size_t i = 0; i + 1 < texts.size(); ++i)
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            const Point& a = OriginOf(texts[i]);
            const Point& b = OriginOf(texts[j]);
            if (alongX ? a.x > b.x : a.y < b.y) std::swap(texts[i], texts[j]);
        }

    RemoveCoincidentDuplicates(module, texts);

    for (std::size_t k = 0; k < texts.size(); ++k) {
        Element& label = texts[k];
        const bool gridName = IsGridName(label);
        LabelGeometry geometry = LeaderStart(side, gridName, OriginOf(label), d1, d2, u);
        if (k > 0) KeepGap(host, texts[k - 1], label, side, u);
        FinishLeader(geometry, side, gridName, OriginOf(label), host.TextBox(label), u);
        AddLabelCell(module, label, geometry);
    }

    for (const Element& text : texts) host.RemoveElement(text);
}

void RemoveCoincidentDuplicates(mdlOPM_Labeller& module, std::vector<Element>& texts) {
    for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
        // The word and elevation stay those of the text that began the pass, even after it
        // has been exchanged for a higher one.
        const double elevation = TextElevation(texts[i].Text().text);
        std::set<std::string> seenWords{std::string(FirstWord(texts[i].Text().text))};
        for (std::size_t k = i + 1; k < texts.size();) {
            if (Distance(OriginOf(texts[i]), OriginOf(texts[k])) >= CoincidenceDistance) {
                ++k;
                continue;
            }
            const std::string otherWord(FirstWord(texts[k].Text().text));
            if (elevation < TextElevation(texts[k].Text().text)) std::swap(texts[i], texts[k]);
            if (seenWords.count(otherWord) != 0) {
                module.host.RemoveElement(texts[k]);
                texts.erase(texts.begin() + static_cast<std::ptrdiff_t>(k));
                continue;
            }
            seenWords.insert(otherWord);
            ++k;
        }
    }
}

}  // namespace zkl
