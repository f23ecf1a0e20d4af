// The number conversions every part of the program shares, so that a value typed in a
// dialog, read from the configuration file or written into a label converts the same way.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zkl {

// A text that is not a number, or a number outside the target's range.
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const std::string& message) : std::runtime_error(message) {}
};

// Plain decimal text: optional sign, digits with an optional "." fraction, optional
// exponent; spaces around it are allowed. Anything else (empty text included) throws.
double TextToDouble(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// TextToDouble, rounded half to even, into -32768..32767; throws ConversionError outside.
std::int16_t TextToInt16(std::string_view text);
std::int16_t DoubleToInt16(double value);

}  // namespace zkl
