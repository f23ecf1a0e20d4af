#include "component/wildcard.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace zkl {

namespace {

// Patterns and texts are UTF-8; "?" and the lists stand for one character, not one byte.
// A byte that does not start a valid sequence counts as one character of its own, above
// every code point, so that it equals only the same stray byte: an overlong "A" or a lone
// 0xC4 must not pass for "A" or "Ä", nor a surrogate for a character.
constexpr char32_t StrayByteBase = 0x110000;

bool IsShortestForm(char32_t code, std::size_t length) {
    switch (length) {
        case 2:
            return code >= 0x80;
        case 3:
            return code >= 0x800 && (code < 0xD800 || code > 0xDFFF);
        case 4:
            return code >= 0x10000 && code <= 0x10FFFF;
        default:
            return code < 0x80;
    }
}

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        char32_t code = lead;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07u;
        }
        bool valid = length == 1 || i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u) valid = false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (!valid || !IsShortestForm(code, length)) {
            length = 1;
            code = lead < 0x80 ? lead : StrayByteBase + lead;
        }
        result.push_back(code);
        i += length;
    }
    return result;
}

struct CharRange {
    char32_t low;
    char32_t high;
};

enum class StepKind { Literal, AnyOne, AnyRun, Digit, List };

struct Step {
    StepKind kind = StepKind::Literal;
    char32_t literal = 0;
    bool negated = false;
    std::vector<CharRange> ranges;

    bool Matches(char32_t c) const {
        switch (kind) {
            case StepKind::Literal:
                return c == literal;
            case StepKind::AnyOne:
                return true;
            case StepKind::Digit:
                return c >= U'0' && c <= U'9';
            case StepKind::List: {
                bool inList = false;
                for (const CharRange& range : ranges) inList = inList || (c >= range.low && c <= range.high);
                return inList != negated;
            }
            case StepKind::AnyRun:
                break;
        }
        return false;
    }
};

// Every step but AnyRun consumes exactly one character; an empty list "[]" matches the
// empty text and is dropped. Empty optional: the pattern has a "[" without its "]".
std::optional<std::vector<Step>> Compile(const std::u32string& pattern) {
    std::vector<Step> steps;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char32_t c = pattern[i];
        Step step;
        if (c == U'?') {
            step.kind = StepKind::AnyOne;
        } else if (c == U'*') {
            // Consecutive stars mean no more than one.
            if (!steps.empty() && steps.back().kind == StepKind::AnyRun) continue;
            step.kind = StepKind::AnyRun;
        } else if (c == U'#') {
            step.kind = StepKind::Digit;
        } else if (c == U'[') {
            const std::size_t close = pattern.find(U']', i + 1);
            if (close == std::u32string::npos) return std::nullopt;
            std::size_t k = i + 1;
            step.kind = StepKind::List;
            if (k < close && pattern[k] == U'!') {
                step.negated = true;
                ++k;
            }
            const bool emptyList = k == close;
            while (k < close) {
                // A "-" first or last in the list is itself; between two characters it spans.
                if (k + 2 < close && pattern[k + 1] == U'-') {
                    step.ranges.push_back({pattern[k], pattern[k + 2]});
                    k += 3;
                } else {
                    step.ranges.push_back({pattern[k], pattern[k]});
                    ++k;
                }
            }
            i = close;
            if (emptyList && !step.negated) continue;
        } else {
            step.literal = c;
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Greedy scan that remembers only the latest star: since every other step takes one
// character, retrying from the latest star is enough, and the work stays within text length
// times pattern length however many stars there are. isStar(s) tells a star step,
// matches(s, t) whether step s takes character t.
template <typename IsStar, typename Matches>
bool GreedyMatch(std::size_t characters, std::size_t steps, IsStar isStar, Matches matches) {
    std::size_t t = 0;
    std::size_t s = 0;
    std::optional<std::size_t> starStep;
    std::size_t starText = 0;
    while (t < characters) {
        if (s < steps && isStar(s)) {
            starStep = s++;
            starText = t;
        } else if (s < steps && matches(s, t)) {
            ++s;
            ++t;
        } else if (starStep) {
            s = *starStep + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (s < steps && isStar(s)) ++s;
    return s == steps;
}

}  // namespace

bool MatchesWildcard(std::string_view text, std::string_view pattern) {
    // The common case, ASCII text and a pattern without lists, on the bytes themselves: every
    // component is matched against every row's patterns, and decoding and compiling for each
    // match cost more than the rest of choosing its row.
    if (pattern.find('[') == std::string_view::npos && IsAscii(pattern) && IsAscii(text))
        return GreedyMatch(
            text.size(), pattern.size(), [&](std::size_t s) { return pattern[s] == '*'; },
            [&](std::size_t s, std::size_t t) {
                const char p = pattern[s], c = text[t];
                return p == '?' || (p == '#' ? c >= '0' && c <= '9' : p == c);
            });
    const std::optional<std::vector<Step>> compiled = Compile(DecodeUtf8(pattern));
    if (!compiled) return false;
    const std::vector<Step>& steps = *compiled;
    const std::u32string chars = DecodeUtf8(text);
    return GreedyMatch(
        chars.size(), steps.size(), [&](std::size_t s) { return steps[s].kind == StepKind::AnyRun; },
        [&](std::size_t s, std::size_t t) { return steps[s].Matches(chars[t]); });
}

}  // namespace zkl
