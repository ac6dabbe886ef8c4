#include "tools/trace/trace_options.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tavrel::trace {
namespace {

TEST(TraceOptions, TakesEveryOption)
{
    const TraceOptions options = ParseTraceOptions({ "--client", "545", "336", "--cell", "7", "13", "--steps", "200", "--frame", "--state", "16777215" });
    EXPECT_EQ(options.ClientWidth, 545.0f);
    EXPECT_EQ(options.ClientHeight, 336.0f);
    EXPECT_EQ(*options.CellWidth, 7.0f);
    EXPECT_EQ(options.Steps, 200);
    EXPECT_TRUE(options.Frame);
    EXPECT_EQ(*options.State, 0xFFFFFFu);
    EXPECT_FALSE(options.PngFile);
}

TEST(TraceOptions, RefusesWhatItCannotRun)
{
    const std::vector<std::vector<std::string>> refused {
        {},
        { "--cell", "7", "13" },
        { "--client", "545", "336" },
        { "--client", "545", "336", "--cell", "7", "13", "--png", "a.png" },
        { "--client", "545", "--cell", "7", "13" },
        { "--client", "545", "336", "--cell", "7", "x" },
        { "--client", "545", "-3", "--cell", "7", "13" },
        { "--client", "545", "336", "--cell", "7", "13", "--steps", "-1" },
        { "--client", "545", "336", "--cell", "7", "13", "--state", "16777216" },
        { "--client", "545", "336", "--cell", "7", "13", "--colour" },
    };
    for (const auto& arguments : refused)
        EXPECT_THROW(ParseTraceOptions(arguments), std::invalid_argument) << testing::PrintToString(arguments);
}

}
}
