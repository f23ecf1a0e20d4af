// Guards how configuration bytes become lines: UTF-8 kept, anything else read as
// Windows-1252, and CR, CRLF and LF all ending a line.
#include "settings/config_text.h"

#include <gtest/gtest.h>

namespace zkl {
namespace {

TEST(ConfigText, EveryLineEndingEndsALineAndNoneAddsAnEmptyLastLine) {
    const struct {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},  // LF then CR is two endings, not one
        {"a\r\r\nb", {"a", "", "b"}},
        {"", {}},
        {"\n", {""}},
        {"last line without ending", {"last line without ending"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << "text: " << c.text;
}

TEST(ConfigText, ValidUtf8IsKeptAndOtherBytesAreReadAsWindows1252) {
    EXPECT_EQ(DecodeConfigurationText("Gr\xC3\xB6\xC3\x9F"
                                      "e"),
              "Gr\xC3\xB6\xC3\x9F"
              "e");
    EXPECT_EQ(DecodeConfigurationText("\xEF\xBB\xBFKEY=1"), "KEY=1");
    // 0xF6 is o-umlaut, 0x80 the euro sign, 0x96 an en dash in Windows-1252.
    EXPECT_EQ(DecodeConfigurationText("Gr\xF6\xDF"
                                      "e \x80 \x96"),
              "Gr\xC3\xB6\xC3\x9F"
              "e \xE2\x82\xAC \xE2\x80\x93");
}

TEST(ConfigText, MalformedUtf8IsNotTakenForUtf8) {
    EXPECT_FALSE(IsValidUtf8("\xC3"));              // cut short
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
}

TEST(ConfigText, TrimmingRemovesSpacesButNotTabs) {
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");
    EXPECT_TRUE(EqualsIgnoringAsciiCase("Piping", "PIPING"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Piping", "Pipin"));
}

}  // namespace
}  // namespace zkl
