// Text helpers for the configuration file: turning its bytes into UTF-8 text, cutting it
// into lines, and the space trimming and letter-case rules its keys follow. The file is
// written by hand on Windows machines, so it may be UTF-8 or the Windows-1252 code page and
// may end its lines with CR, CRLF or LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zkl {

// The bytes as UTF-8: kept when they already are valid UTF-8 (a leading byte-order mark is
// dropped), otherwise read as Windows-1252 and converted.
std::string DecodeConfigurationText(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);

// Lines end at CR, CRLF or LF. A last line without an ending still counts; text that ends
// with a line ending has no extra empty line after it.
std::vector<std::string> SplitLines(std::string_view text);

// Removes spaces only; tabs are kept, as the file format asks.
std::string_view TrimSpaces(std::string_view text);

// Upper case for ASCII letters; other characters stay as they are.
std::string ToUpperAscii(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace zkl
