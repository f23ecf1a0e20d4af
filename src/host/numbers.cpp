#include "host/numbers.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "host/message_text.h"

namespace zkl {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Accepts [sign] digits [. digits] [e|E [sign] digits], at least one digit in the mantissa.
bool IsPlainDecimal(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < s.size() && IsDigit(s[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == s.size();
}

}  // namespace

double TextToDouble(std::string_view text) {
    std::string_view s = text;
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    if (!IsPlainDecimal(s)) throw ConversionError("cannot convert " + Quoted(text) + " to a number");
    const std::string copy(s);
    const double value = std::strtod(copy.c_str(), nullptr);
    if (!std::isfinite(value)) throw ConversionError("the number " + Quoted(text) + " is too large");
    return value;
}

double RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction < 0.5) return floor;
    if (fraction > 0.5) return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

std::int16_t DoubleToInt16(double value) {
    const double rounded = RoundHalfEven(value);
    if (!(rounded >= -32768.0 && rounded <= 32767.0))
        throw ConversionError("the number " + std::to_string(value) + " is outside -32768..32767");
    return static_cast<std::int16_t>(rounded);
}

std::int16_t TextToInt16(std::string_view text) {
    const double value = TextToDouble(text);
    const double rounded = RoundHalfEven(value);
    if (!(rounded >= -32768.0 && rounded <= 32767.0))
        throw ConversionError("the number " + Quoted(text) + " is outside -32768..32767");
    return static_cast<std::int16_t>(rounded);
}

}  // namespace zkl
