// Wildcard patterns of item rows and grid-cell names: each rule, whole-text matching, case,
// and a mistyped "[" that must never match by accident.
#include "component/wildcard.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace zkl {
namespace {

struct WildcardCase {
    const char* text;
    const char* pattern;
    bool matches;
};

TEST(Wildcard, FollowsTheClassicRulesOverTheWholeText) {
    const WildcardCase cases[] = {
        {"PIPE", "PIPE", true},
        {"PIPE", "pipe", false},  // case-sensitive
        {"PIPE_TEE", "PIPE", false},
        {"XPIPE", "PIPE", false},  // whole text, both ends
        {"PIPE", "P?PE", true},
        {"PPE", "P?PE", false},  // "?" needs exactly one character
        {"", "*", true},
        {"", "?", false},
        {"", "", true},
        {"X", "", false},
        {"PIPE_ELBOW_90", "PIPE*", true},
        {"PIPE", "PIPE*", true},
        {"ABC", "*B*", true},
        {"ABC", "*D*", false},
        {"DN150", "DN###", true},
        {"DN15A", "DN###", false},
        {"B7", "[A-C]#", true},
        {"D7", "[A-C]#", false},
        {"D7", "[!A-C]#", true},
        {"A7", "[!A-C]#", false},
        {"X", "[XYZ]", true},
        {"-", "[A-]", true},  // a trailing "-" is itself
        {"*", "[*]", true},   // inside a list "*" is an ordinary character
        {"A", "[*]", false},
        {"[A", "[A", false},  // a "[" without "]" never matches, not even itself
        {"ABC", "AB[C", false},
        {"Ä1", "?#", true},  // one character, even when it takes several bytes
        // A byte that is no well-formed UTF-8 is a character of its own, equal only to itself.
        {"\xE0\x81\x81", "A", false},  // an overlong "A"
        {"\xE0\x81\x81", "???", true},
        {"\xED\xA0\x80", "?", false},  // a surrogate
        {"\xC4", "Ä", false},             // a lone lead byte
        {"\xC4", "\xC4", true},
        {"\xFF", "[A-Z]", false},
    };
    for (const WildcardCase& c : cases)
        EXPECT_EQ(MatchesWildcard(c.text, c.pattern), c.matches)
            << "'" << c.text << "' like '" << c.pattern << "'";
}

TEST(Wildcard, ManyStarsDoNotBacktrackWithoutEnd) {
    const std::string text(5000, 'a');
    EXPECT_FALSE(MatchesWildcard(text, "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(MatchesWildcard(text + "b", "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
}

TEST(Wildcard, PlainTextAnswersAsTheCharacterByCharacterMatchDoes) {
    // A non-ASCII character added to both ends of text and pattern sends the match the long
    // way round without changing its answer; ASCII without lists goes the short way.
    std::mt19937 random(5);
    const std::string textLetters = "AB0-9", patternLetters = "AB0-9?*#";
    for (int round = 0; round < 20000; ++round) {
        std::string text, pattern;
        for (unsigned n = random() % 7; n > 0; --n) text += textLetters[random() % textLetters.size()];
        for (unsigned n = random() % 6; n > 0; --n) pattern += patternLetters[random() % patternLetters.size()];
        ASSERT_EQ(MatchesWildcard(text, pattern), MatchesWildcard(text + "\u00e9", pattern + "\u00e9"))
            << "'" << text << "' against '" << pattern << "'";
    }
}

}  // namespace
}  // namespace zkl
