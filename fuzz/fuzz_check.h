// What every harness shares. A wrong answer is as much a fault as a crash, but libFuzzer only
// keeps inputs that crash, so a failed check aborts with a line saying what did not hold.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace zkl::fuzz {

[[noreturn]] inline void Fail(std::string_view what) {
    std::fprintf(stderr, "fuzz check failed: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

inline void Check(bool holds, std::string_view what) {
    if (!holds) Fail(what);
}

inline std::string_view AsText(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace zkl::fuzz
