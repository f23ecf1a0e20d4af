// Guards the two ways a sheet's text is read. A sound sheet is read from a compact document
// of our own; anything that document is unsure of is read again through nlohmann, which words
// the fault. So the compact document must never take a text nlohmann refuses, and must read
// every value it takes as nlohmann does: numbers at the edges of their kinds, escapes,
// surrogate pairs, UTF-8.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "io/sheet_file.h"

namespace zkl::io {
namespace {

// A sheet whose one line carries the property {"name": "P", <value>}.
std::string SheetWithProperty(const std::string& value, const std::string& before = "") {
    return before + R"({"format": "zkl-sheet", "version": 1, "levels": [{"name": "Default"}], "elements": [
        {"id": 1, "type": "line", "vertices": [[0, 0, 0], [1, 1, 0]], "properties": [{"name": "P", )" +
           value + "}]}]}";
}

PropertyValue LoadedProperty(const std::string& sheet) {
    const cad::Drawing drawing = ParseSheet(sheet, "text.json", ".");
    return drawing.activeModel.Get(1).properties.at(0).value;
}

TEST(SheetText, ValuesReadAsNlohmannReadsThem) {
    const struct {
        std::string value;
        PropertyValue expected;
    } cases[] = {
        {R"("number": 150)", 150.0},
        {R"("number": 1E2)", 100.0},
        {R"("number": 2.5e-3)", 0.0025},
        {R"("number": 0.1)", 0.1},
        {R"("number": 18446744073709551615)", 18446744073709551615.0},
        {R"("number": 99999999999999999999)", 1e20},  // beyond 64 bits: nlohmann makes it a double
        {R"("number": -9223372036854775809)", -9223372036854775808.0},
        {R"("number": 4.9e-324)", 4.9e-324},
        {R"("number": 1e-400)", 0.0},
        {R"("text": "caf\u00e9 \u00E9")", "caf\xc3\xa9 \xc3\xa9"},
        {R"("text": "\ud83d\ude00")", "\xf0\x9f\x98\x80"},
        {R"("text": "a\/b\"c\\d\b\f\n\r\t")", "a/b\"c\\d\b\f\n\r\t"},
        {R"("text": "nul \u0000 in it")", std::string("nul \0 in it", 11)},
        {"\"text\": \"\xe6\xbc\xa2\xe5\xad\x97\"", "\xe6\xbc\xa2\xe5\xad\x97"},
        {"\"text\"\r\n:\t\"spaced\"", "spaced"},
    };
    for (const auto& c : cases) EXPECT_EQ(LoadedProperty(SheetWithProperty(c.value)), c.expected) << c.value;

    // The sign of a zero survives only where nlohmann keeps it: "-0" is the integer 0.
    EXPECT_FALSE(std::signbit(LoadedProperty(SheetWithProperty(R"("number": -0)")).Number()));
    EXPECT_TRUE(std::signbit(LoadedProperty(SheetWithProperty(R"("number": -0.0)")).Number()));
    // nlohmann skips a byte-order mark.
    EXPECT_EQ(LoadedProperty(SheetWithProperty(R"("number": 7)", "\xef\xbb\xbf")), PropertyValue(7.0));
}

TEST(SheetText, TextsNlohmannRefusesAreRefusedWithItsMessage) {
    // A dimension of 18 keys, "style" among them twice: too many keys to compare pairwise.
    const std::string manyKeys =
        R"("number": 1}, {"name": "Q", "text": "x"}]}, {"id": 2, "type": "dimension", "level": "Default",
        "colour": 0, "lineStyle": "0", "weight": 0, "locked": false, "properties": [], "points": [],
        "segmentTexts": [], "rotation": 0, "dimensionType": 15, "style": "", "terminator": 1,
        "textMargin": 5, "extensionOvershoot": 5, "offset": 0, "style": "")";
    const struct {
        std::string value;
        std::string message;
    } cases[] = {
        {R"("text": "\ud800")",
         "text.json: line 2, column 115: syntax error while parsing value - invalid string: surrogate "
         "U+D800..U+DBFF must be followed by U+DC00..U+DFFF; last read: '\"\\ud800\"'"},
        {R"("text": "\ud800\u0041")",
         "text.json: line 2, column 120: syntax error while parsing value - invalid string: surrogate "
         "U+D800..U+DBFF must be followed by U+DC00..U+DFFF; last read: '\"\\ud800\\u0041'"},
        {R"("text": "\udc00")",
         "text.json: line 2, column 114: syntax error while parsing value - invalid string: surrogate "
         "U+DC00..U+DFFF must follow U+D800..U+DBFF; last read: '\"\\udc00'"},
        {"\"text\": \"\xff\"",
         "text.json: line 2, column 109: syntax error while parsing value - invalid string: ill-formed UTF-8 "
         "byte; last read: '\"\xff'"},
        {"\"text\": \"\xc0\x80\"",
         "text.json: line 2, column 109: syntax error while parsing value - invalid string: ill-formed UTF-8 "
         "byte; last read: '\"\xc0'"},
        {"\"text\": \"\xed\xa0\x80\"",
         "text.json: line 2, column 110: syntax error while parsing value - invalid string: ill-formed UTF-8 "
         "byte; last read: '\"\xed\xa0'"},
        {"\"text\": \"tab\tinside\"",
         "text.json: line 2, column 112: syntax error while parsing value - invalid string: control "
         "character U+0009 (HT) must be escaped to \\u0009 or \\t; last read: '\"tab<U+0009>'"},
        {R"("text": "\x41")",
         "text.json: line 2, column 110: syntax error while parsing value - invalid string: forbidden "
         "character after backslash; last read: '\"\\x'"},
        {R"("number": 1e400)", "text.json: line 2, column 110: number too large: '1e400'"},
        {R"("number": -1e400)", "text.json: line 2, column 110: number too large: '-1e400'"},
        {R"("number": 01)",
         "text.json: line 2, column 111: syntax error while parsing object - unexpected number literal; "
         "expected '}'"},
        {R"("number": 1.)",
         "text.json: line 2, column 112: syntax error while parsing value - invalid number; expected digit "
         "after '.'; last read: '1.}'"},
        {R"("number": .5)",
         "text.json: line 2, column 110: syntax error while parsing value - invalid literal; last read: "
         "'\"number\": .'"},
        {R"("number": -)",
         "text.json: line 2, column 111: syntax error while parsing value - invalid number; expected digit "
         "after '-'; last read: '-}'"},
        {R"("number": +1)",
         "text.json: line 2, column 110: syntax error while parsing value - invalid literal; last read: "
         "'\"number\": +'"},
        {R"("number": tru)",
         "text.json: line 2, column 113: syntax error while parsing value - invalid literal; last read: "
         "'\"number\": tru}'"},
        {R"("number": 1, "number": 2)",
         "text.json: /elements/0/properties/0/number: the key \"number\" appears twice in one object"},
        {R"("number": [1, 2,])",
         "text.json: line 2, column 116: syntax error while parsing value - unexpected ']'; expected '[', "
         "'{', or a literal"},
        {manyKeys, "text.json: /elements/1/style: the key \"style\" appears twice in one object"},
    };
    for (const auto& c : cases) {
        try {
            (void)ParseSheet(SheetWithProperty(c.value), "text.json", ".");
            ADD_FAILURE() << c.value << ": loaded";
        } catch (const SheetError& error) {
            EXPECT_EQ(std::string(error.what()), c.message) << c.value;
        }
    }
    try {
        (void)ParseSheet(SheetWithProperty(R"("number": 1)") + " {}", "text.json", ".");
        ADD_FAILURE() << "text after the sheet: loaded";
    } catch (const SheetError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "text.json: line 2, column 117: syntax error while parsing value - unexpected '{'; "
                  "expected end of input")
            << "text after the sheet";
    }
}

}  // namespace
}  // namespace zkl::io
