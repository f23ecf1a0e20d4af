// Shared number conversion: what counts as a number, halves to even, the 16-bit range.
#include <gtest/gtest.h>

#include "host/numbers.h"

namespace zkl {
namespace {

TEST(Numbers, PlainDecimalTextConverts) {
    const std::pair<const char*, double> cases[] = {
        {"2.5", 2.5}, {" -1200 ", -1200}, {"+3", 3}, {".5", 0.5}, {"5.", 5}, {"1e3", 1000}, {"2.5E-1", 0.25}};
    for (const auto& [text, expected] : cases) EXPECT_DOUBLE_EQ(TextToDouble(text), expected) << text;
}

TEST(Numbers, AnythingElseIsAConversionError) {
    for (const char* text : {"", "  ", "2.5 # big", "1,5", "abc", "1e", "--1", "0x10", "inf", "nan", "\t1", "1e999"})
        EXPECT_THROW(TextToDouble(text), ConversionError) << text;
}

TEST(Numbers, HalvesRoundToTheEvenNeighbour) {
    const std::pair<double, double> cases[] = {{2.5, 2},  {3.5, 4},   {-2.5, -2}, {-3.5, -4}, {2240.45, 2240},
                                               {2459.55, 2460}, {0.5, 0}, {1.5, 2},   {-0.4, -0.0}};
    for (const auto& [value, expected] : cases) EXPECT_EQ(RoundHalfEven(value), expected) << value;
}

TEST(Numbers, SixteenBitValuesRoundAndStayInRange) {
    EXPECT_EQ(TextToInt16(" 1.5 "), 2);
    EXPECT_EQ(TextToInt16("-32768"), -32768);
    EXPECT_EQ(TextToInt16("32767.4"), 32767);
    EXPECT_THROW(TextToInt16("32767.5"), ConversionError);
    EXPECT_THROW(TextToInt16("x"), ConversionError);
    EXPECT_THROW(DoubleToInt16(1e9), ConversionError);
}

}  // namespace
}  // namespace zkl
