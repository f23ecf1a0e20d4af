// Values shown inside one-line messages. A user's text may hold anything (a level name with
// a line break, a tab, a quote), and a message that breaks over two lines is misread by
// people and by the tools that read our stderr one line per error.
#pragma once

#include <string>
#include <string_view>

namespace zkl {

// The text between double quotes, with quote, backslash and control characters escaped as
// in JSON ("\n", "\t", "\u0007"); everything else, UTF-8 included, stays as it is.
std::string Quoted(std::string_view text);

// The same escapes without the quotes, for a value the message already delimits.
std::string Escaped(std::string_view text);

}  // namespace zkl
