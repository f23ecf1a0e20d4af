// Wildcard patterns as users write them in item rows and grid-cell names: "?" one
// character, "*" any run (also none), "#" one digit, "[A-C]" one character of a list or
// range, "[!A-C]" one character not in it; anything else matches itself. Case-sensitive,
// over the whole text. A "[" without its "]" matches nothing, so a mistyped pattern never
// matches by accident.
#pragma once

#include <string_view>

namespace zkl {

bool MatchesWildcard(std::string_view text, std::string_view pattern);

}  // namespace zkl
