// The wildcard matcher against a second reading of its rules written here as plainly as
// possible: recursive backtracking straight over the pattern's characters, with none of the
// matcher's compiling or its single-star retry. The input is the pattern, a line feed, then
// the text.
//
// Characters are UTF-8 sequences as the standard defines them (no overlong forms, no
// surrogates, nothing past U+10FFFF); a byte that does not start one is a character of its
// own, equal only to the same byte. Whether such a byte lies in a range the rules do not
// say, so inputs that ask are left out.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "component/wildcard.h"
#include "fuzz_check.h"

namespace zkl::fuzz {
namespace {

struct Char {
    std::uint32_t value = 0;
    bool raw = false;  // a byte outside any valid sequence

    bool Is(char32_t c) const { return !raw && value == c; }
    friend bool operator==(const Char&, const Char&) = default;
};

// The length of the valid UTF-8 sequence starting at `at`, 0 when none starts there.
std::size_t SequenceLength(std::string_view bytes, std::size_t at, std::uint32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    std::size_t length = 0;
    std::uint32_t smallest = 0;
    if ((lead & 0xE0u) == 0xC0u) {
        length = 2, code = lead & 0x1Fu, smallest = 0x80;
    } else if ((lead & 0xF0u) == 0xE0u) {
        length = 3, code = lead & 0x0Fu, smallest = 0x800;
    } else if ((lead & 0xF8u) == 0xF0u) {
        length = 4, code = lead & 0x07u, smallest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xC0u) != 0x80u) return 0;
        code = (code << 6) | (byte(at + k) & 0x3Fu);
    }
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

std::vector<Char> Characters(std::string_view bytes) {
    std::vector<Char> chars;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::uint32_t code = 0;
        const std::size_t length = SequenceLength(bytes, at, code);
        if (length == 0) {
            chars.push_back({static_cast<unsigned char>(bytes[at]), true});
            ++at;
        } else {
            chars.push_back({code, false});
            at += length;
        }
    }
    return chars;
}

struct List {
    bool negated = false;
    std::vector<std::pair<Char, Char>> ranges;
    std::size_t end = 0;  // the position after the closing "]"
};

// The list whose "[" is at `open`; empty when it has no "]". Inside, "!" first negates and
// "X-Y" spans unless the "-" is first or last.
std::optional<List> ReadList(const std::vector<Char>& pattern, std::size_t open) {
    std::size_t close = open + 1;
    while (close < pattern.size() && !pattern[close].Is(U']')) ++close;
    if (close == pattern.size()) return std::nullopt;
    List list;
    list.end = close + 1;
    std::size_t k = open + 1;
    if (k < close && pattern[k].Is(U'!')) {
        list.negated = true;
        ++k;
    }
    while (k < close) {
        if (k + 2 < close && pattern[k + 1].Is(U'-')) {
            list.ranges.emplace_back(pattern[k], pattern[k + 2]);
            k += 3;
        } else {
            list.ranges.emplace_back(pattern[k], pattern[k]);
            ++k;
        }
    }
    return list;
}

// A pattern with a "[" that never closes matches nothing at all.
bool EveryListCloses(const std::vector<Char>& pattern) {
    for (std::size_t p = 0; p < pattern.size();) {
        if (!pattern[p].Is(U'[')) {
            ++p;
            continue;
        }
        const std::optional<List> list = ReadList(pattern, p);
        if (!list) return false;
        p = list->end;
    }
    return true;
}

class Reference {
public:
    Reference(std::vector<Char> text, std::vector<Char> pattern)
        : text_(std::move(text)),
          pattern_(std::move(pattern)),
          memo_((text_.size() + 1) * (pattern_.size() + 1), Unknown) {}

    bool Matches() { return From(0, 0); }
    // Whether the answer depended on a lone byte and a range.
    bool Undecided() const { return undecided_; }

private:
    static constexpr signed char Unknown = -1;

    // Whether the pattern from p matches the text from t to its end. Remembered per
    // position pair, so many stars stay polynomial.
    bool From(std::size_t p, std::size_t t) {
        signed char& known = memo_[p * (text_.size() + 1) + t];
        if (known == Unknown) known = Compute(p, t) ? 1 : 0;
        return known == 1;
    }

    bool Compute(std::size_t p, std::size_t t) {
        if (p == pattern_.size()) return t == text_.size();
        const Char& c = pattern_[p];
        const bool textLeft = t < text_.size();
        if (c.Is(U'*')) return From(p + 1, t) || (textLeft && From(p, t + 1));
        if (c.Is(U'?')) return textLeft && From(p + 1, t + 1);
        if (c.Is(U'#'))
            return textLeft && !text_[t].raw && text_[t].value >= U'0' && text_[t].value <= U'9' &&
                   From(p + 1, t + 1);
        if (c.Is(U'[')) {
            const List list = *ReadList(pattern_, p);
            // "[]" stands for nothing at all, "[!]" for any one character.
            if (list.ranges.empty() && !list.negated) return From(list.end, t);
            return textLeft && InList(list, text_[t]) && From(list.end, t + 1);
        }
        return textLeft && text_[t] == c && From(p + 1, t + 1);
    }

    bool InList(const List& list, const Char& c) {
        bool found = false;
        for (const auto& [low, high] : list.ranges) {
            if (low == high) {
                found = found || c == low;
            } else {
                undecided_ = undecided_ || c.raw || low.raw || high.raw;
                found = found || (c.value >= low.value && c.value <= high.value);
            }
        }
        return found != list.negated;
    }

    std::vector<Char> text_;
    std::vector<Char> pattern_;
    std::vector<signed char> memo_;
    bool undecided_ = false;
};

}  // namespace
}  // namespace zkl::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zkl::fuzz;
    const std::string_view input = AsText(data, size);
    const std::size_t split = input.find('\n');
    if (split == std::string_view::npos) return 0;
    const std::string_view pattern = input.substr(0, split);
    const std::string_view text = input.substr(split + 1);

    const bool matches = zkl::MatchesWildcard(text, pattern);
    const std::vector<Char> patternChars = Characters(pattern);
    if (!EveryListCloses(patternChars)) {
        Check(!matches, "a pattern with an unclosed '[' matched");
        return 0;
    }
    Reference reference(Characters(text), patternChars);
    const bool expected = reference.Matches();
    if (reference.Undecided()) return -1;
    if (matches != expected)
        Fail(std::string("the matcher says ") + (matches ? "match" : "no match") + ", the reference " +
             (expected ? "match" : "no match"));
    return 0;
}
