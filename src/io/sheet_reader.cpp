// Reading a sheet: JSON text -> checked values -> cad::Drawing. Every value is checked where it
// is read, and the first fault ends the load with its JSON pointer, so nothing downstream ever
// sees a half-checked drawing.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

#include "host/host_error.h"
#include "host/message_text.h"
#include "io/compact_json.h"
#include "io/sheet_file.h"
#include "io/sheet_schema.h"

namespace zkl::io {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

std::string Child(const std::string& path, std::string_view key) {
    return path + "/" + sheet::PointerToken(key);
}
std::string Child(const std::string& path, std::size_t index) { return path + "/" + std::to_string(index); }

// The place of a value, made into a JSON pointer only when a message needs one: a load reads
// millions of values, nearly all of them fine, and building a pointer for each was a good
// share of its time. A place refers to its parent (a pointer or another place) without
// copying it, so places live no longer than their parents: they are made in argument lists
// or from a named parent.
class Place {
public:
    Place(const std::string& pointer) : root_(&pointer) {}  // NOLINT: every pointer is a place
    Place(const std::string& parent, std::string_view key) : root_(&parent), key_(key), step_(Step::Key) {}
    Place(const std::string& parent, std::size_t index) : root_(&parent), index_(index), step_(Step::Index) {}
    Place(const Place& parent, std::string_view key) : parent_(&parent), key_(key), step_(Step::Key) {}
    Place(const Place& parent, std::size_t index) : parent_(&parent), index_(index), step_(Step::Index) {}

    std::string Pointer() const {
        std::string base = parent_ != nullptr ? parent_->Pointer() : *root_;
        switch (step_) {
            case Step::Key:
                return Child(base, key_);
            case Step::Index:
                return Child(base, index_);
            case Step::None:
                break;
        }
        return base;
    }

private:
    enum class Step { None, Key, Index };
    const std::string* root_ = nullptr;
    const Place* parent_ = nullptr;
    std::string_view key_;
    std::size_t index_ = 0;
    Step step_ = Step::None;
};

std::string KindOf(const Json& value) {
    switch (value.type()) {
        case Json::value_t::null:
            return "null";
        case Json::value_t::boolean:
            return value.get<bool>() ? "true" : "false";
        case Json::value_t::string: {
            const std::string& text = value.get_ref<const std::string&>();
            return "the text " + Quoted(text.size() <= 40 ? text : text.substr(0, 37) + "...");
        }
        case Json::value_t::array:
            return "an array";
        case Json::value_t::object:
            return "an object";
        default:
            return "the number " + value.dump();
    }
}

std::string Dump(const Json& value) { return value.dump(); }

// A compact value's faults are never shown: the sheet is then read again through nlohmann's
// value (see ParseSheet), so these only fill the place of the words.
std::string KindOf(const CompactJson& /*value*/) { return {}; }
std::string Dump(const CompactJson& /*value*/) { return {}; }

std::string JoinKeys(std::initializer_list<std::string_view> keys) {
    std::string text;
    for (std::string_view key : keys) text += (text.empty() ? "" : ", ") + std::string(key);
    return text;
}

// Line and column (both from 1, the column counted in characters) of the byteCount-th byte;
// one past the end stands for "where the text ended".
std::string LineAndColumn(std::string_view text, std::size_t byteCount) {
    const std::size_t end = std::min(byteCount == 0 ? 0 : byteCount - 1, text.size());
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < end; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
            column = 1;
        } else if ((c & 0xC0) != 0x80) {  // UTF-8 continuation bytes do not start a character
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// Builds the JSON value from nlohmann's SAX events, holding the open arrays and objects on a
// stack of its own. nlohmann keeps the last of two equal keys without a word; in a
// hand-edited sheet a repeated key is nearly always a slip, so the first one is refused with
// its path. (A parse callback could see the keys too, but with one nlohmann looks through
// the enclosing array again after every object, which made loading quadratic in the length
// of an element list.)
class SheetJsonBuilder final : public nlohmann::json_sax<Json> {
public:
    SheetJsonBuilder(std::string_view text, const std::string& source) : text_(text), source_(source) {}

    Json Take() { return std::move(root_); }

    bool null() override { return Put(nullptr); }
    bool boolean(bool value) override { return Put(value); }
    bool number_integer(number_integer_t value) override { return Put(value); }
    bool number_unsigned(number_unsigned_t value) override { return Put(value); }
    bool number_float(number_float_t value, const string_t& /*literal*/) override { return Put(value); }
    bool string(string_t& value) override { return Put(std::move(value)); }
    bool binary(binary_t& value) override { return Put(Json::binary(std::move(value))); }

    bool start_object(std::size_t /*size*/) override { return Open(Json::object()); }
    bool start_array(std::size_t /*size*/) override { return Open(Json::array()); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }

    bool key(string_t& key) override {
        Frame& frame = open_.back();
        auto [entry, added] = frame.container->get_ref<Json::object_t&>().try_emplace(std::move(key));
        frame.key = &entry->first;
        if (!added)
            throw SheetError(source_, Path(),
                             "the key " + Quoted(entry->first) + " appears twice in one object");
        slot_ = &entry->second;
        return true;
    }

    bool parse_error(std::size_t position, const std::string& lastToken,
                     const nlohmann::detail::exception& error) override {
        std::string what = error.what();
        if (dynamic_cast<const Json::out_of_range*>(&error) != nullptr) {
            // A number too large for a double; the position is just after its literal.
            const std::size_t open = what.find('\'');
            const std::size_t start = position - std::min(position, lastToken.size());
            throw SheetError(source_, LineAndColumn(text_, start + 1),
                             "number too large: " + what.substr(open == std::string::npos ? 0 : open));
        }
        // nlohmann's own text starts with an id and a position; keep only what went wrong.
        const std::size_t column = what.find("column ");
        const std::size_t colon = what.find(": ", column == std::string::npos ? 0 : column);
        if (colon != std::string::npos) what = what.substr(colon + 2);
        throw SheetError(source_, LineAndColumn(text_, position), what);
    }

private:
    struct Frame {
        Json* container;
        const std::string* key = nullptr;  // of an object's entry being read
    };

    // Where the next value goes: the root, the end of the open array or the entry of the key
    // just read. Containers on the stack stay where they are while their children are read,
    // so the pointers to them hold.
    Json* Slot() {
        if (open_.empty()) return &root_;
        Json& container = *open_.back().container;
        if (container.is_array()) {
            auto& array = container.get_ref<Json::array_t&>();
            array.emplace_back();
            return &array.back();
        }
        return slot_;
    }

    template <typename Value>
    bool Put(Value&& value) {
        *Slot() = Json(std::forward<Value>(value));
        return true;
    }

    bool Open(Json&& empty) {
        Json* slot = Slot();
        if (open_.size() >= MaxJsonNesting)
            throw SheetError(source_, Path(),
                             "arrays and objects nest deeper than " + std::to_string(MaxJsonNesting) +
                                 " levels here (a sheet needs far fewer)");
        *slot = std::move(empty);
        open_.push_back(Frame{slot});
        return true;
    }

    bool Close() {
        open_.pop_back();
        return true;
    }

    // The pointer to the value being read: in an array the last entry, in an object the
    // entry of the last key.
    std::string Path() const {
        std::string path;
        for (const Frame& frame : open_) {
            if (frame.container->is_array())
                path += "/" + std::to_string(frame.container->size() - 1);
            else if (frame.key != nullptr)
                path += "/" + sheet::PointerToken(*frame.key);
        }
        return path;
    }

    std::string_view text_;
    const std::string& source_;
    Json root_;
    std::vector<Frame> open_;
    Json* slot_ = nullptr;
};

Json ParseJson(std::string_view text, const std::string& source) {
    SheetJsonBuilder builder(text, source);
    // Every fault throws from the builder, so a parse that returns has succeeded.
    Json::sax_parse(text.begin(), text.end(), &builder);
    return builder.Take();
}

Matrix3d RotationFromDegrees(double degrees) {
    const double reduced = std::fmod(degrees, 360.0);
    double c = 0.0, s = 0.0;
    // Quarter turns are taken exactly, so that "rotation": 90 gives a matrix of 0 and 1.
    if (std::fmod(reduced, 90.0) == 0.0) {
        static constexpr double Cos[] = {1, 0, -1, 0};
        static constexpr double Sin[] = {0, 1, 0, -1};
        const int quarter = (static_cast<int>(reduced / 90.0) % 4 + 4) % 4;
        c = Cos[quarter];
        s = Sin[quarter];
    } else {
        c = std::cos(reduced * Pi / 180.0);
        s = std::sin(reduced * Pi / 180.0);
    }
    return Matrix3d::FromRows({c, -s, 0}, {s, c, 0}, {0, 0, 1});
}

template <typename Value>
class SheetReader {
public:
    SheetReader(const std::string& source, const fs::path& baseFolder)
        : source_(source), baseFolder_(baseFolder) {}

    cad::Drawing Read(const Value& root);

private:
    // One JSON object being read: refuses keys it does not know at once, so that a typing
    // slip is reported as such rather than as the missing key it was meant to be.
    class Fields {
    public:
        Fields(const SheetReader& reader, const Value& value, std::string path,
               std::initializer_list<std::string_view> allowed, std::string_view what)
            : reader_(reader), value_(value), ownPath_(std::move(path)), path_(ownPath_) {
            Check(allowed, what);
        }
        // Without a pointer of its own: the place's parents must outlive the fields.
        Fields(const SheetReader& reader, const Value& value, const Place& place,
               std::initializer_list<std::string_view> allowed, std::string_view what)
            : reader_(reader), value_(value), path_(place) {
            Check(allowed, what);
        }
        Fields(const Fields&) = delete;
        Fields& operator=(const Fields&) = delete;

        std::string Path() const { return path_.Pointer(); }
        std::string PathOf(std::string_view key) const { return Child(Path(), key); }
        Place PlaceOf(std::string_view key) const { return Place(path_, key); }
        const Value* Find(std::string_view key) const {
            auto it = value_.find(key);
            return it == value_.end() ? nullptr : &*it;
        }
        const Value& Require(std::string_view key, std::string_view description) const {
            if (const Value* found = Find(key)) return *found;
            reader_.Fail(path_, "missing " + Quoted(key) + " (" + std::string(description) + ")");
        }

        template <typename T>
        T Get(std::string_view key, std::string_view description,
              T (SheetReader::*read)(const Value&, const Place&) const) const {
            return (reader_.*read)(Require(key, description), Place(path_, key));
        }
        template <typename T>
        T GetOr(std::string_view key, T fallback,
                T (SheetReader::*read)(const Value&, const Place&) const) const {
            const Value* found = Find(key);
            return found ? (reader_.*read)(*found, Place(path_, key)) : fallback;
        }

    private:
        void Check(std::initializer_list<std::string_view> allowed, std::string_view what) const {
            if (!value_.is_object())
                reader_.Fail(path_,
                             "expected " + std::string(what) + " (an object), found " + KindOf(value_));
            for (const auto& item : value_.items()) {
                bool known = false;
                for (std::string_view key : allowed) known = known || SameKey(key, item.key());
                if (!known)
                    reader_.Fail(Place(path_, item.key()), "unknown key in " + std::string(what) +
                                                               " (expected one of: " + JoinKeys(allowed) +
                                                               ")");
            }
        }

        const SheetReader& reader_;
        const Value& value_;
        std::string ownPath_;  // when not given a place
        Place path_;
    };

    [[noreturn]] void Fail(const std::string& path, const std::string& problem) const {
        throw SheetError(source_, path, problem);
    }
    [[noreturn]] void Fail(const Place& place, const std::string& problem) const {
        Fail(place.Pointer(), problem);
    }

    // ---- Scalars ----------------------------------------------------------------------------
    double Number(const Value& value, const Place& path) const {
        if (!value.is_number()) Fail(path, "expected a number, found " + KindOf(value));
        const double number = value.template get<double>();
        if (!std::isfinite(number)) Fail(path, "expected a finite number");
        return number;
    }
    double Positive(const Value& value, const Place& path) const {
        const double number = Number(value, path);
        if (!(number > 0.0)) Fail(path, "expected a number greater than 0, found " + Dump(value));
        return number;
    }
    double NonNegative(const Value& value, const Place& path) const {
        const double number = Number(value, path);
        if (number < 0.0) Fail(path, "expected a number not below 0, found " + Dump(value));
        return number;
    }
    long long Integer(const Value& value, const Place& path, long long low, long long high) const {
        const std::string expected = "expected a whole number" +
                                     (low == std::numeric_limits<int>::min()
                                          ? std::string()
                                          : " from " + std::to_string(low) + " to " + std::to_string(high));
        if (!value.is_number()) Fail(path, expected + ", found " + KindOf(value));
        long double number = 0;
        if (value.is_number_integer())
            number = value.is_number_unsigned()
                         ? static_cast<long double>(value.template get<std::uint64_t>())
                         : static_cast<long double>(value.template get<std::int64_t>());
        else
            number = static_cast<long double>(value.template get<double>());
        if (number != std::floor(number) || number < low || number > high)
            Fail(path, expected + ", found " + Dump(value));
        return static_cast<long long>(number);
    }
    int AnyInt(const Value& v, const Place& p) const {
        return static_cast<int>(
            Integer(v, p, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }
    int NonNegativeInt(const Value& v, const Place& p) const {
        return static_cast<int>(Integer(v, p, 0, std::numeric_limits<int>::max()));
    }
    int Justification(const Value& v, const Place& p) const { return static_cast<int>(Integer(v, p, 0, 14)); }
    int Decimals(const Value& v, const Place& p) const { return static_cast<int>(Integer(v, p, 0, 15)); }
    int Terminator(const Value& v, const Place& p) const { return static_cast<int>(Integer(v, p, 0, 3)); }
    ElementId ModelElementId(const Value& v, const Place& p) const {
        return Integer(v, p, 1, std::numeric_limits<ElementId>::max());
    }
    ElementId ComponentId(const Value& v, const Place& p) const {
        return Integer(v, p, 0, std::numeric_limits<ElementId>::max());
    }
    std::uint64_t Unsigned64(const Value& value, const Place& path) const {
        if (value.is_number_unsigned()) return value.template get<std::uint64_t>();
        if (value.is_number_integer() && value.template get<std::int64_t>() >= 0)
            return static_cast<std::uint64_t>(value.template get<std::int64_t>());
        Fail(path, "expected a whole number from 0 to 18446744073709551615, found " + KindOf(value));
    }
    std::string Text(const Value& value, const Place& path) const {
        if (!value.is_string()) Fail(path, "expected text (in double quotes), found " + KindOf(value));
        return value.template get<std::string>();
    }
    std::string Name(const Value& value, const Place& path) const {
        std::string text = Text(value, path);
        if (text.empty()) Fail(path, "expected a name, found empty text");
        return text;
    }
    bool Boolean(const Value& value, const Place& path) const {
        if (!value.is_boolean()) Fail(path, "expected true or false, found " + KindOf(value));
        return value.template get<bool>();
    }

    // ---- Geometry values ----------------------------------------------------------------------
    // An entry of an array (a coordinate, a matrix entry): its place is only worked out
    // when it is faulty.
    double NumberAt(const Value& array, std::size_t index, const Place& path) const {
        const Value& value = array[index];
        if (value.is_number() && std::isfinite(value.template get<double>()))
            return value.template get<double>();
        return Number(value, Place(path, index));
    }

    Point ReadPoint(const Value& value, const Place& path) const {
        if (!value.is_array() || value.size() != 3 || !value[0].is_number() || !value[1].is_number() ||
            !value[2].is_number())
            Fail(path, "expected an array of 3 numbers [x, y, z], found " +
                           (value.is_array() ? "an array of " + std::to_string(value.size()) + " values"
                                             : KindOf(value)));
        return {NumberAt(value, 0, path), NumberAt(value, 1, path), NumberAt(value, 2, path)};
    }
    std::vector<Point> ReadPoints(const Value& value, const Place& path, std::size_t minimum,
                                  std::size_t maximum, std::string_view what) const {
        if (!value.is_array()) Fail(path, "expected an array of points, found " + KindOf(value));
        if (value.size() < minimum || value.size() > maximum) {
            const std::string count = minimum == maximum ? "exactly " + std::to_string(minimum)
                                                         : "at least " + std::to_string(minimum);
            Fail(path,
                 std::string(what) + " needs " + count + " points, found " + std::to_string(value.size()));
        }
        std::vector<Point> points;
        points.reserve(value.size());
        for (std::size_t i = 0; i < value.size(); ++i) points.push_back(ReadPoint(value[i], Place(path, i)));
        return points;
    }
    Point Vector3(const Value& v, const Place& p) const { return ReadPoint(v, p); }
    std::array<double, 3> Scale3(const Value& v, const Place& p) const {
        const Point point = ReadPoint(v, p);
        return {point.x, point.y, point.z};
    }
    // Three rows of three numbers, or an angle in degrees about z.
    Matrix3d Rotation(const Value& value, const Place& path) const {
        if (value.is_number()) return RotationFromDegrees(Number(value, path));
        const char* expected = "expected 3 rows of 3 numbers, or an angle in degrees";
        if (!value.is_array() || value.size() != 3)
            Fail(path, std::string(expected) + ", found " + KindOf(value));
        Matrix3d matrix;
        for (std::size_t row = 0; row < 3; ++row) {
            const Value& entries = value[row];
            const Place rowPath(path, row);
            if (!entries.is_array() || entries.size() != 3) Fail(rowPath, expected);
            for (std::size_t column = 0; column < 3; ++column)
                matrix.m[row * 3 + column] = NumberAt(entries, column, rowPath);
        }
        return matrix;
    }

    // ---- Tables ------------------------------------------------------------------------------
    const Value* ArrayOrNull(const Fields& fields, std::string_view key) const {
        const Value* value = fields.Find(key);
        if (value && !value->is_array())
            Fail(fields.PathOf(key), "expected an array, found " + KindOf(*value));
        return value;
    }

    // Refuses a second entry of one name in a table.
    class NameRegister {
    public:
        NameRegister(const SheetReader& reader, std::string what) : reader_(reader), what_(std::move(what)) {}
        void Add(const std::string& name, const std::string& path) {
            auto [it, added] = seen_.emplace(name, path);
            if (!added)
                reader_.Fail(path,
                             what_ + " " + Quoted(name) + " is defined twice (also at " + it->second + ")");
        }

    private:
        const SheetReader& reader_;
        std::string what_;
        std::map<std::string, std::string> seen_;
    };

    void ReadLevels(const Fields& root) {
        const Value* levels = ArrayOrNull(root, "levels");
        if (!levels) return;
        NameRegister names(*this, "level");
        std::map<int, std::string> ids;
        std::optional<int> previousId;
        for (std::size_t i = 0; i < levels->size(); ++i) {
            Fields fields(*this, (*levels)[i], Child(root.PathOf("levels"), i), {"name", "id"}, "a level");
            Level level;
            level.name = fields.Get("name", "the level's name", &SheetReader::Name);
            names.Add(level.name, fields.PathOf("name"));
            level.id = fields.GetOr("id", sheet::DefaultLevelId(previousId), &SheetReader::NonNegativeInt);
            auto [it, added] = ids.emplace(level.id, fields.Path());
            if (!added)
                Fail(fields.Find("id") ? fields.PathOf("id") : fields.Path(),
                     "level id " + std::to_string(level.id) + " is used twice (also at " + it->second + ")");
            previousId = level.id;
            drawing_.levels.push_back(level);
            levelNames_.insert(level.name);
        }
    }

    void ReadLineStyles(const Fields& root) {
        const Value* styles = ArrayOrNull(root, "lineStyles");
        if (!styles) return;
        NameRegister names(*this, "line style");
        for (std::size_t i = 0; i < styles->size(); ++i) {
            Fields fields(*this, (*styles)[i], Child(root.PathOf("lineStyles"), i), {"name", "dashes"},
                          "a line style");
            LineStyle style;
            style.name = fields.Get("name", "the line style's name", &SheetReader::Name);
            names.Add(style.name, fields.PathOf("name"));
            if (const Value* dashes = fields.Find("dashes")) {
                const std::string path = fields.PathOf("dashes");
                if (!dashes->is_array())
                    Fail(path, "expected an array of dash lengths, found " + KindOf(*dashes));
                for (std::size_t d = 0; d < dashes->size(); ++d)
                    style.dashes.push_back(NonNegative((*dashes)[d], Child(path, d)));
            }
            drawing_.lineStyles.push_back(style);
        }
    }

    void ReadTextStyles(const Fields& root) {
        const Value* styles = ArrayOrNull(root, "textStyles");
        if (!styles) return;
        NameRegister names(*this, "text style");
        for (std::size_t i = 0; i < styles->size(); ++i) {
            Fields fields(*this, (*styles)[i], Child(root.PathOf("textStyles"), i),
                          {"name", "height", "width", "font"}, "a text style");
            TextStyle style;
            style.name = fields.Get("name", "the text style's name", &SheetReader::Name);
            names.Add(style.name, fields.PathOf("name"));
            style.height = fields.GetOr("height", style.height, &SheetReader::Positive);
            style.width = fields.GetOr("width", style.width, &SheetReader::Positive);
            style.font = fields.GetOr("font", style.font, &SheetReader::Name);
            drawing_.textStyles.push_back(style);
        }
    }

    DimensionOptions ReadDimensionOptions(const Fields& fields, DimensionOptions options) const {
        options.terminator = fields.GetOr("terminator", options.terminator, &SheetReader::Terminator);
        options.textMargin = fields.GetOr("textMargin", options.textMargin, &SheetReader::NonNegative);
        options.extensionOvershoot =
            fields.GetOr("extensionOvershoot", options.extensionOvershoot, &SheetReader::Number);
        return options;
    }

    void ReadDimensionStyles(const Fields& root) {
        const Value* styles = ArrayOrNull(root, "dimensionStyles");
        if (!styles) return;
        NameRegister names(*this, "dimension style");
        for (std::size_t i = 0; i < styles->size(); ++i) {
            Fields fields(
                *this, (*styles)[i], Child(root.PathOf("dimensionStyles"), i),
                {"name", "textHeight", "decimals", "terminator", "textMargin", "extensionOvershoot"},
                "a dimension style");
            DimensionStyle style;
            style.name = fields.Get("name", "the dimension style's name", &SheetReader::Name);
            names.Add(style.name, fields.PathOf("name"));
            style.textHeight = fields.GetOr("textHeight", style.textHeight, &SheetReader::Positive);
            style.decimals = fields.GetOr("decimals", style.decimals, &SheetReader::Decimals);
            style.options = ReadDimensionOptions(fields, style.options);
            drawing_.dimensionStyles.push_back(style);
        }
    }

    // ---- Symbology ---------------------------------------------------------------------------
    void CheckLevel(const std::string& level, const Fields& fields, bool given) const {
        if (level.empty() || levelNames_.count(level) != 0) return;
        if (given)
            Fail(fields.PathOf("level"),
                 "level " + Quoted(level) + " is not in the level table (\"levels\")");
        Fail(fields.Path(), "no \"level\" given, and the level it then takes, " + Quoted(level) +
                                ", is not in the level table (\"levels\")");
    }

    Symbology ReadSymbology(const Fields& fields, const Symbology& defaults) const {
        Symbology symbology;
        symbology.level = fields.GetOr("level", defaults.level, &SheetReader::Text);
        CheckLevel(symbology.level, fields, fields.Find("level") != nullptr);
        symbology.colour = fields.GetOr("colour", defaults.colour, &SheetReader::AnyInt);
        symbology.lineStyle = fields.GetOr("lineStyle", defaults.lineStyle, &SheetReader::Text);
        symbology.weight = fields.GetOr("weight", defaults.weight, &SheetReader::AnyInt);
        return symbology;
    }

    // ---- Elements ----------------------------------------------------------------------------
    PropertyList ReadProperties(const Value& value, const Place& path) const {
        if (!value.is_array()) Fail(path, "expected an array of properties, found " + KindOf(value));
        PropertyList properties;
        properties.reserve(value.size());
        for (std::size_t i = 0; i < value.size(); ++i) {
            Fields fields(*this, value[i], Place(path, i), {"name", "number", "text"}, "a property");
            Property property;
            property.accessString = fields.Get("name", "the property's access string", &SheetReader::Name);
            // A component has a few dozen properties: a look through them costs less than a map.
            const auto first = std::find_if(properties.begin(), properties.end(), [&](const Property& p) {
                return p.accessString == property.accessString;
            });
            if (first != properties.end())
                Fail(fields.PathOf("name"),
                     "property " + Quoted(property.accessString) + " appears twice in one element (also at " +
                         Place(path, static_cast<std::size_t>(first - properties.begin())).Pointer() + ")");
            const Value* number = fields.Find("number");
            const Value* text = fields.Find("text");
            if (number && text)
                Fail(fields.Path(), "a property holds either \"number\" or \"text\", not both");
            if (number) property.value = Number(*number, fields.PlaceOf("number"));
            if (text) property.value = Text(*text, fields.PlaceOf("text"));
            properties.push_back(std::move(property));
        }
        return properties;
    }

    // `level` counts cells from the model down: 1 for an element of a model, 2 for a
    // component of its cell, and so on.
    Element ReadElement(const Value& value, const Place& path, const Symbology& defaults, bool isComponent,
                        int level) const {
        if (!value.is_object()) Fail(path, "expected an element (an object), found " + KindOf(value));
        auto typeIt = value.find("type");
        if (typeIt == value.end())
            Fail(path, "missing \"type\" (line, lineString, shape, ellipse, text, cell or dimension)");
        const std::string typeKey = Text(*typeIt, Place(path, "type"));
        const std::optional<ElementType> type = sheet::ElementTypeFromKey(typeKey);
        if (!type)
            Fail(Place(path, "type"),
                 "unknown element type " + Quoted(typeKey) +
                     " (expected line, lineString, shape, ellipse, text, cell or dimension)");

        Element element;
        element.type = *type;
        switch (*type) {
            case ElementType::Line:
            case ElementType::LineString:
            case ElementType::Shape: {
                Fields fields(*this, value, path,
                              {"id", "type", "level", "colour", "lineStyle", "weight", "locked", "properties",
                               "vertices"},
                              "a " + std::string(ElementTypeName(*type)));
                ReadCommon(fields, element, defaults, isComponent);
                const Value& vertices = fields.Require("vertices", "an array of points [x, y, z]");
                const Place verticesPath = fields.PlaceOf("vertices");
                LinearGeometry geometry;
                if (*type == ElementType::Line) {
                    geometry.vertices = ReadPoints(vertices, verticesPath, 2, 2, "a line");
                } else if (*type == ElementType::LineString) {
                    geometry.vertices = ReadPoints(vertices, verticesPath, 2, SIZE_MAX, "a line string");
                } else {
                    geometry.vertices = ReadPoints(vertices, verticesPath, 3, SIZE_MAX, "a shape");
                    // The closing vertex may be left out by hand; the drawing holds shapes closed.
                    if (!(geometry.vertices.front() == geometry.vertices.back()))
                        geometry.vertices.push_back(geometry.vertices.front());
                }
                element.geometry = std::move(geometry);
                break;
            }
            case ElementType::Ellipse: {
                Fields fields(*this, value, path,
                              {"id", "type", "level", "colour", "lineStyle", "weight", "locked", "properties",
                               "centre", "primaryRadius", "secondaryRadius", "rotation"},
                              "an ellipse");
                ReadCommon(fields, element, defaults, isComponent);
                EllipseGeometry geometry;
                geometry.centre = fields.Get("centre", "a point [x, y, z]", &SheetReader::Vector3);
                geometry.primaryRadius = fields.Get("primaryRadius", "a number", &SheetReader::NonNegative);
                geometry.secondaryRadius =
                    fields.GetOr("secondaryRadius", geometry.primaryRadius, &SheetReader::NonNegative);
                geometry.rotation = fields.GetOr("rotation", Matrix3d::Identity(), &SheetReader::Rotation);
                element.geometry = geometry;
                break;
            }
            case ElementType::Text: {
                Fields fields(
                    *this, value, path,
                    {"id", "type", "level", "colour", "lineStyle", "weight", "locked", "properties", "text",
                     "origin", "rotation", "style", "height", "width", "justification", "fixedOrigin"},
                    "a text");
                ReadCommon(fields, element, defaults, isComponent);
                TextGeometry geometry;
                geometry.text = fields.Get("text", "the text string", &SheetReader::Text);
                geometry.origin = fields.Get("origin", "a point [x, y, z]", &SheetReader::Vector3);
                geometry.rotation = fields.GetOr("rotation", Matrix3d::Identity(), &SheetReader::Rotation);
                geometry.style = fields.GetOr("style", std::string(), &SheetReader::Text);
                const auto [height, width] = sheet::DefaultTextSize(drawing_, geometry.style);
                // A zero size is degenerate but can come from settings; refusing it would make
                // the program's own output unreadable.
                geometry.height = fields.GetOr("height", height, &SheetReader::NonNegative);
                geometry.width = fields.GetOr("width", width, &SheetReader::NonNegative);
                geometry.justification =
                    fields.GetOr("justification", geometry.justification, &SheetReader::Justification);
                geometry.fixedOrigin =
                    fields.GetOr("fixedOrigin", geometry.fixedOrigin, &SheetReader::Boolean);
                element.geometry = std::move(geometry);
                break;
            }
            case ElementType::Cell: {
                Fields fields(*this, value, path,
                              {"id", "type", "level", "colour", "lineStyle", "weight", "locked", "properties",
                               "name", "origin", "pointCell", "scale", "components"},
                              "a cell");
                // Refused before its components are read: reading them is the recursion the
                // limit bounds.
                if (level > MaxCellNesting)
                    Fail(path, "cells nest deeper than " + std::to_string(MaxCellNesting) +
                                   " levels here (this cell is level " + std::to_string(level) + ")");
                ReadCommon(fields, element, defaults, isComponent);
                CellGeometry geometry;
                geometry.name = fields.Get("name", "the cell's name", &SheetReader::Text);
                geometry.origin = fields.Get("origin", "a point [x, y, z]", &SheetReader::Vector3);
                geometry.pointCell = fields.GetOr("pointCell", geometry.pointCell, &SheetReader::Boolean);
                geometry.scale = fields.GetOr("scale", geometry.scale, &SheetReader::Scale3);
                if (const Value* components = fields.Find("components")) {
                    const Place componentsPath = fields.PlaceOf("components");
                    if (!components->is_array())
                        Fail(componentsPath, "expected an array of elements, found " + KindOf(*components));
                    geometry.components.reserve(components->size());
                    for (std::size_t i = 0; i < components->size(); ++i)
                        geometry.components.push_back(ReadElement((*components)[i], Place(componentsPath, i),
                                                                  element.symbology, true, level + 1));
                }
                element.geometry = std::move(geometry);
                break;
            }
            case ElementType::Dimension: {
                Fields fields(*this, value, path,
                              {"id", "type", "level", "colour", "lineStyle", "weight", "locked", "properties",
                               "points", "segmentTexts", "rotation", "dimensionType", "style", "terminator",
                               "textMargin", "extensionOvershoot", "offset", "scale", "savedValue"},
                              "a dimension");
                ReadCommon(fields, element, defaults, isComponent);
                DimensionGeometry geometry;
                geometry.points = ReadPoints(fields.Require("points", "an array of points [x, y, z]"),
                                             fields.PlaceOf("points"), 0, SIZE_MAX, "a dimension");
                geometry.segmentTexts.assign(geometry.points.size(), std::string());
                if (const Value* texts = fields.Find("segmentTexts")) {
                    const std::string textsPath = fields.PathOf("segmentTexts");
                    if (!texts->is_array() || texts->size() != geometry.points.size())
                        Fail(textsPath, "expected an array of " + std::to_string(geometry.points.size()) +
                                            " texts, one per point");
                    for (std::size_t i = 0; i < texts->size(); ++i)
                        geometry.segmentTexts[i] = Text((*texts)[i], Place(textsPath, i));
                }
                geometry.rotation = fields.GetOr("rotation", Matrix3d::Identity(), &SheetReader::Rotation);
                geometry.dimensionType =
                    fields.GetOr("dimensionType", geometry.dimensionType, &SheetReader::NonNegativeInt);
                geometry.style = fields.GetOr("style", std::string(), &SheetReader::Text);
                geometry.options =
                    ReadDimensionOptions(fields, sheet::DefaultDimensionOptions(drawing_, geometry.style));
                geometry.offset = fields.GetOr("offset", geometry.offset, &SheetReader::Number);
                geometry.scale = fields.GetOr("scale", geometry.scale, &SheetReader::Number);
                geometry.savedValue =
                    fields.GetOr("savedValue", geometry.savedValue, &SheetReader::Unsigned64);
                element.geometry = std::move(geometry);
                break;
            }
        }
        return element;
    }

    void ReadCommon(const Fields& fields, Element& element, const Symbology& defaults,
                    bool isComponent) const {
        element.id = isComponent ? fields.GetOr("id", NoElementId, &SheetReader::ComponentId)
                                 : fields.Get("id", "a whole number from 1, unique in its model",
                                              &SheetReader::ModelElementId);
        element.symbology = ReadSymbology(fields, defaults);
        element.locked = fields.GetOr("locked", false, &SheetReader::Boolean);
        if (const Value* properties = fields.Find("properties"))
            element.properties = ReadProperties(*properties, fields.PlaceOf("properties"));
    }

    void ReadModel(const Fields& owner, ModelId model) {
        const Value* elements = ArrayOrNull(owner, "elements");
        if (!elements) return;
        const std::string path = owner.PathOf("elements");
        for (std::size_t i = 0; i < elements->size(); ++i) {
            const Place elementPath(path, i);
            Element element =
                ReadElement((*elements)[i], elementPath, sheet::ModelElementSymbology(), false, 1);
            if (drawing_.Model(model).Find(element.id) != nullptr) {
                // Only a faulty file pays for looking up where the id was first given.
                std::size_t first = 0;
                while ((*elements)[first].at("id") != element.id) ++first;
                Fail(Place(elementPath, "id"), "element id " + std::to_string(element.id) +
                                                   " is used twice in one model (also at " +
                                                   Child(path, first) + ")");
            }
            try {
                drawing_.Insert(model, std::move(element));
            } catch (const HostError& error) {
                Fail(elementPath, error.what());
            }
        }
    }

    // ---- Attachments, views, settings --------------------------------------------------------
    Transform3d ReadTransform(const Value& value, const std::string& path) const {
        Fields fields(*this, value, path, {"matrix", "translation"}, "a transform");
        const Matrix3d matrix = fields.GetOr("matrix", Matrix3d::Identity(), &SheetReader::Rotation);
        if (matrix.Determinant() == 0.0)
            Fail(fields.PathOf("matrix"), "expected an invertible matrix (this one flattens the model)");
        const Point translation = fields.GetOr("translation", Point{}, &SheetReader::Vector3);
        return Transform3d::FromMatrixAndTranslation(matrix, translation);
    }

    void ReadAttachments(const Fields& root) {
        const Value* attachments = ArrayOrNull(root, "attachments");
        if (!attachments) return;
        for (std::size_t i = 0; i < attachments->size(); ++i) {
            Fields fields(*this, (*attachments)[i], Child(root.PathOf("attachments"), i),
                          {"name", "unitFactor", "scaleDivisor", "displayed", "transform", "elements"},
                          "an attachment");
            cad::Attachment attachment;
            attachment.name = fields.Get("name", "the attachment's name", &SheetReader::Text);
            attachment.unitFactor = fields.GetOr("unitFactor", attachment.unitFactor, &SheetReader::Positive);
            attachment.scaleDivisor =
                fields.GetOr("scaleDivisor", attachment.scaleDivisor, &SheetReader::Positive);
            attachment.displayed = fields.GetOr("displayed", attachment.displayed, &SheetReader::Boolean);
            if (const Value* transform = fields.Find("transform"))
                attachment.toActive = ReadTransform(*transform, fields.PathOf("transform"));
            drawing_.attachments.push_back(std::move(attachment));
            ReadModel(fields, static_cast<ModelId>(drawing_.attachments.size()));
        }
    }

    ViewArea ReadView(const Value& value, const std::string& path) const {
        Fields fields(*this, value, path, {"origin", "extent", "rotation"}, "a view");
        ViewArea view;
        view.origin = fields.GetOr("origin", view.origin, &SheetReader::Vector3);
        view.extent = fields.GetOr("extent", view.extent, &SheetReader::Vector3);
        if (!(view.extent.x > 0.0 && view.extent.y > 0.0 && view.extent.z >= 0.0))
            Fail(fields.PathOf("extent"),
                 "expected a width and a height greater than 0 and a depth not below 0");
        view.rotation = fields.GetOr("rotation", view.rotation, &SheetReader::Rotation);
        return view;
    }

    void ReadViews(const Fields& root) {
        const Value* views = ArrayOrNull(root, "views");
        if (!views) return;
        if (views->empty() || views->size() > cad::ViewCount)
            Fail(root.PathOf("views"), "expected 1 to 8 views, found " + std::to_string(views->size()));
        for (std::size_t i = 0; i < cad::ViewCount; ++i) {
            // Views left out repeat the last one given: one entry sets all eight.
            drawing_.views[i] = i < views->size() ? ReadView((*views)[i], Child(root.PathOf("views"), i))
                                                  : drawing_.views[i - 1];
        }
    }

    void ReadSettings(const Fields& root) {
        drawing_.activeUnitFactor =
            root.GetOr("activeUnitFactor", drawing_.activeUnitFactor, &SheetReader::Positive);
        if (const Value* symbology = root.Find("activeSymbology")) {
            Fields fields(*this, *symbology, root.PathOf("activeSymbology"),
                          {"level", "colour", "lineStyle", "weight"}, "the active symbology");
            drawing_.activeSymbology = ReadSymbology(fields, Symbology{});
        }
        if (const Value* modes = root.Find("fenceModes")) {
            Fields fields(*this, *modes, root.PathOf("fenceModes"), {"overlap", "clip", "outside"},
                          "the fence modes");
            FenceModes& fence = drawing_.fenceModes;
            fence.overlap = fields.GetOr("overlap", fence.overlap, &SheetReader::Boolean);
            fence.clip = fields.GetOr("clip", fence.clip, &SheetReader::Boolean);
            fence.outside = fields.GetOr("outside", fence.outside, &SheetReader::Boolean);
        }
        const std::string macro = root.GetOr("macroProjectPath", std::string(), &SheetReader::Text);
        if (!macro.empty()) {
            const fs::path macroPath(macro);
            drawing_.macroProjectPath =
                macroPath.is_absolute() ? macro : (baseFolder_ / macroPath).lexically_normal().string();
        }
    }

    void CheckHeader(const Value& root) const {
        if (!root.is_object()) Fail("", "expected a sheet (a JSON object), found " + KindOf(root));
        auto format = root.find("format");
        if (format == root.end())
            Fail("",
                 "missing \"format\": \"" + std::string(SheetFormatName) + "\" (this is not a sheet file)");
        if (!format->is_string() || format->template get<std::string>() != SheetFormatName)
            Fail("/format", "expected \"" + std::string(SheetFormatName) + "\", found " + KindOf(*format));
        auto version = root.find("version");
        if (version == root.end()) Fail("", "missing \"version\": " + std::to_string(SheetFormatVersion));
        if (!version->is_number())
            Fail("/version",
                 "expected the number " + std::to_string(SheetFormatVersion) + ", found " + KindOf(*version));
        if (*version != SheetFormatVersion)
            Fail("/version", "version " + Dump(*version) + " is not supported (this program reads version " +
                                 std::to_string(SheetFormatVersion) + ")");
    }

    const std::string& source_;
    fs::path baseFolder_;
    cad::Drawing drawing_;
    std::set<std::string> levelNames_;
};

template <typename Value>
cad::Drawing SheetReader<Value>::Read(const Value& root) {
    CheckHeader(root);
    const Fields fields(
        *this, root, "",
        {"format", "version", "macroProjectPath", "activeUnitFactor", "activeSymbology", "fenceModes",
         "levels", "lineStyles", "textStyles", "dimensionStyles", "views", "elements", "attachments"},
        "a sheet");
    // Tables first: elements are checked against the levels and take defaults from the styles.
    ReadLevels(fields);
    ReadLineStyles(fields);
    ReadTextStyles(fields);
    ReadDimensionStyles(fields);
    ReadSettings(fields);
    ReadViews(fields);
    ReadModel(fields, ActiveModelId);
    ReadAttachments(fields);
    return std::move(drawing_);
}

}  // namespace

cad::Drawing ParseSheet(std::string_view json, const std::string& sourceName, const fs::path& baseFolder) {
    // The compact document holds a sheet in a fraction of the time and memory nlohmann's value
    // takes, but knows of a faulty text only that it is faulty, and its reader's messages lack
    // the values (see KindOf). A sheet that fails to load that way is read again through
    // nlohmann's value, whose reader finds the first fault and words it: messages stay as they
    // were, and a sound sheet is never read twice.
    try {
        const CompactJsonDocument document(json);
        return SheetReader<CompactJson>(sourceName, baseFolder).Read(document.Root());
    } catch (const CompactJsonRefused&) {
    } catch (const SheetError&) {
    }
    const Json root = ParseJson(json, sourceName);
    return SheetReader<Json>(sourceName, baseFolder).Read(root);
}

}  // namespace zkl::io
