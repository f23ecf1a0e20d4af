// What every harness shares. A wrong answer is as much a fault as a crash, but libFuzzer only
// keeps inputs that crash, so a failed check aborts with a line saying what did not hold.
#pragma once

#include <cstddef>
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

// Lines as the readers count them: a CR, an LF or a CR LF ends one.
inline std::size_t LineCount(std::string_view text) {
    std::size_t lines = 1;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++lines;
    return lines;
}

inline std::string_view AsText(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace zkl::fuzz
