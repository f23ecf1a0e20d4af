// Values quoted in messages: whatever a user's text holds, the message stays on one line
// and reads back unambiguously.
#include <gtest/gtest.h>

#include "host/message_text.h"

namespace zkl {
namespace {

TEST(MessageText, QuotedValuesEscapeWhatWouldBreakTheLine) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"Pipes", "\"Pipes\""},
        {"", "\"\""},
        {"Level\nTwo", "\"Level\\nTwo\""},
        {"a\r\nb\tc", "\"a\\r\\nb\\tc\""},
        {"say \"hi\" \\ bye", "\"say \\\"hi\\\" \\\\ bye\""},
        {std::string_view("\x07\x00\x7F", 3), "\"\\u0007\\u0000\\u007F\""},
        {"Ø 150 – DN", "\"Ø 150 – DN\""},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(Quoted(text), expected) << Escaped(text);
}

}  // namespace
}  // namespace zkl
