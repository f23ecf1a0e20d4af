// Guards the input-script format: each kind of line becomes the input a user would give,
// comments and blank lines are skipped, and every faulty line is reported by its number.
#include "io/input_script.h"

#include <gtest/gtest.h>

namespace zkl::io {
namespace {

TEST(InputScript, EachLineBecomesTheInputAUserWouldGive) {
    const char* script =
        "# label the pump\n"
        "point 95 130\n"
        "\n"
        "  POINT -1.5e1 +2.25 view 3\n"
        "rotate\r\n"
        "esc\r"
        "reset\n"
        "keyin   fit view extended\n"
        "\t# indented comment\n"
        "keyin INPUTMANAGER TRAINING HINT \n";
    const std::vector<Input> expected{
        Input::DataPoint({95, 130, 0}, 1),
        Input::DataPoint({-15, 2.25, 0}, 3),
        Input::Keyin(CtrlResetKeyin),
        Input::Keyin(EscapeKeyin),
        Input::Reset(),
        Input::Keyin("fit view extended"),
        Input::Keyin("INPUTMANAGER TRAINING HINT "),  // a key-in keeps its text as written
    };
    EXPECT_EQ(ParseInputScript(script, "session.txt"), expected);
    EXPECT_TRUE(ParseInputScript("# nothing\n\n   \n", "empty.txt").empty());
}

TEST(InputScript, FaultyLineIsReportedWithItsNumberAndWhatIsWrong) {
    struct Case {
        const char* line;
        const char* problem;
    };
    const Case cases[] = {
        {"point 10", "a point needs its X and Y"},
        {"point ten 20", "X of the point, 'ten', is not a number"},
        {"point 10 20 30", "expected 'view N' or the end of the line after the point, found '30'"},
        {"point 10 20 view 9", "view '9' does not exist; views are numbered 1 to 8"},
        {"point 10 20 view 2 extra", "unexpected 'extra' after the view number"},
        {"reset now", "'reset' takes nothing after it, found 'now'"},
        {"keyin", "'keyin' needs the text to send"},
        {"click 10 20",
         "'click' is not an input; a line is one of: point X Y [view N], reset, rotate, esc, keyin TEXT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        try {
            ParseInputScript(std::string("reset\n# comment\n") + c.line + "\n", "session.txt");
            ADD_FAILURE() << "the line was accepted";
        } catch (const InputScriptError& error) {
            ASSERT_EQ(error.Problems().size(), 1u);
            EXPECT_EQ(error.Problems()[0].line, 3);
            EXPECT_TRUE(std::string(error.what()).starts_with(std::string("session.txt:3: ") + c.problem))
                << error.what();
        }
    }
}

TEST(InputScript, EveryFaultyLineIsListedInLineOrder) {
    try {
        ParseInputScript("point 1 2\r\npoint x 2\r\nreset\r\nrotate twice\r\n", "s.txt");
        FAIL() << "the script was accepted";
    } catch (const InputScriptError& error) {
        EXPECT_EQ(error.Source(), "s.txt");
        EXPECT_EQ(std::string(error.what()),
                  "s.txt:2: X of the point, 'x', is not a number\n"
                  "s.txt:4: 'rotate' takes nothing after it, found 'twice'");
    }
}

}  // namespace
}  // namespace zkl::io
