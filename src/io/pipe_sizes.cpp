#include "io/pipe_sizes.h"

#include <array>
#include <cmath>

namespace zkl::io {

namespace {

constexpr double MillimetreTolerance = 0.5;
constexpr double InchTolerance = 0.01;
constexpr double MillimetresPerInch = 25.4;

// Outside diameters after ASME B36.10; DN after ISO 6708.
constexpr std::array<PipeSize, 26> Sizes{{
    {0.5, 15, 21.3},    {0.75, 20, 26.7}, {1, 25, 33.4},    {1.25, 32, 42.2}, {1.5, 40, 48.3},
    {2, 50, 60.3},      {2.5, 65, 73.0},  {3, 80, 88.9},    {4, 100, 114.3},  {5, 125, 141.3},
    {6, 150, 168.3},    {8, 200, 219.1},  {10, 250, 273.0}, {12, 300, 323.9}, {14, 350, 355.6},
    {16, 400, 406.4},   {18, 450, 457.2}, {20, 500, 508.0}, {22, 550, 558.8}, {24, 600, 609.6},
    {26, 650, 660.4},   {28, 700, 711.2}, {30, 750, 762.0}, {32, 800, 812.8}, {36, 900, 914.4},
    {48, 1200, 1219.2},
}};

bool Near(double a, double b, double tolerance) { return std::abs(a - b) <= tolerance; }

}  // namespace

std::span<const PipeSize> NominalPipeSizes() { return Sizes; }

std::optional<PipeSize> SizeOfMillimetreBore(double bore) {
    for (const PipeSize& size : Sizes)
        if (Near(bore, size.nominal, MillimetreTolerance) ||
            Near(bore, size.inches * MillimetresPerInch, MillimetreTolerance) ||
            Near(bore, size.outside, MillimetreTolerance))
            return size;
    return std::nullopt;
}

std::optional<PipeSize> SizeOfInchBore(double inches) {
    for (const PipeSize& size : Sizes)
        if (Near(inches, size.inches, InchTolerance)) return size;
    return std::nullopt;
}

}  // namespace zkl::io
