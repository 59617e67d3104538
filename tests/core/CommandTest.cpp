#include "core/Command.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

TEST(Command, CutsParameterTextAtCommasWithQuotes)
{
    using V = std::vector<std::string>;
    struct Case {
        const char* text;
        V params;
    };
    const Case cases[] = {
        {"1.00, 2.50 ,  -3.75", V{"1.00", "2.50", "-3.75"}},
        {"1,,2", V{"1", "", "2"}},
        {"1,2,", V{"1", "2"}},
        {",", V{""}},
        {"name,\"Smith, J.\",7", V{"name", "Smith, J.", "7"}},
        {"\"\"", V{""}},
        {"checkpoint!,3", V{"checkpoint!", "3"}},
        {"single", V{"single"}},
        {"", V{}},
        {" \t\r\n", V{}},
    };
    // One command assigned every case in turn, its parameter counts going
    // up and down, cuts as a new one does.
    CPCommand reused;
    reused.Reserve(2, 8);
    for (const Case& c : cases) {
        EXPECT_EQ(CPCommand::CutParams(c.text), c.params) << "text \"" << c.text << "\"";
        reused.Assign("again", c.text);
        EXPECT_EQ(reused.GetName(), "again");
        EXPECT_EQ(reused.GetParams(), c.params) << "text \"" << c.text << "\"";
        const CPCommand command = CPCommand::FromText("cmd", c.text);
        EXPECT_EQ(command.GetName(), "cmd");
        EXPECT_EQ(command.GetParams(), c.params) << "text \"" << c.text << "\"";
    }
}
