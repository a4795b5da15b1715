// The whole-word number reader shared by every input file.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "textfile/number_text.h"

namespace {

using vsk::NumberText;

TEST(NumberText, Integers)
{
    struct Case {
        const char* text;
        NumberText status;
        int value;
    };
    const Case cases[] = {
        {"12", NumberText::whole, 12},           {"  -7", NumberText::whole, -7},
        {"+3", NumberText::whole, 3},            {"2147483647", NumberText::whole, INT_MAX},
        {"-2147483648", NumberText::whole, INT_MIN}, {"12abc", NumberText::trailing, 12},
        {"0x1F", NumberText::trailing, 0},       {"4.7", NumberText::trailing, 4},
        {"7 ", NumberText::whole, 7},            {"abc", NumberText::not_a_number, 0},
        {"NaN", NumberText::not_a_number, 0},    {"inf", NumberText::not_a_number, 0},
        {"", NumberText::not_a_number, 0},       {"-", NumberText::not_a_number, 0},
        {"2147483648", NumberText::out_of_range, 0}, {"-2147483649", NumberText::out_of_range, 0},
        {"99999999999999999999999", NumberText::out_of_range, 0},
    };
    for (const Case& c : cases) {
        int value = 0;
        EXPECT_EQ(vsk::read_int_text(c.text, value), c.status) << c.text;
        if (c.status == NumberText::whole || c.status == NumberText::trailing) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(NumberText, Reals)
{
    struct Case {
        const char* text;
        NumberText status;
        double value;
    };
    const Case cases[] = {
        {"0.25", NumberText::whole, 0.25},   {"-1e3", NumberText::whole, -1000.0},
        {".5", NumberText::whole, 0.5},      {"5.", NumberText::whole, 5.0},
        {"1e300", NumberText::whole, 1e300}, {"2e", NumberText::trailing, 2.0},
        {"0x1F", NumberText::trailing, 0.0}, {"12cM", NumberText::trailing, 12.0},
        {"NaN", NumberText::not_a_number, 0}, {"-inf", NumberText::not_a_number, 0},
        {"fifty", NumberText::not_a_number, 0}, {".", NumberText::not_a_number, 0},
        {"1e309", NumberText::out_of_range, 0}, {"-1e309", NumberText::out_of_range, 0},
    };
    for (const Case& c : cases) {
        double value = 0.0;
        EXPECT_EQ(vsk::read_real_text(c.text, value), c.status) << c.text;
        if (c.status == NumberText::whole || c.status == NumberText::trailing) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        }
    }
    double v = 7.0;
    EXPECT_FALSE(vsk::whole_real("1.5x", v));
    EXPECT_DOUBLE_EQ(v, 7.0);  // left unchanged when refused
    EXPECT_TRUE(vsk::whole_real("1.5", v));
    EXPECT_DOUBLE_EQ(v, 1.5);
}

}  // namespace
