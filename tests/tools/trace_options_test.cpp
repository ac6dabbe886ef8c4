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

std::string RefusalOf(const std::vector<std::string>& arguments)
{
    try {
        ParseTraceOptions(arguments);
    } catch (const std::invalid_argument& refusal) {
        return refusal.what();
    }
    return "";
}

TEST(TraceOptions, SaysWhyANumberOrAnOptionIsRefused)
{
    const std::vector<std::string> cell { "--client", "545", "336", "--cell", "7", "13" };
    const auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), cell.begin(), cell.end());
        return more;
    };
    EXPECT_EQ(RefusalOf(with({ "--steps", "5", "--steps", "6" })), "--steps is given more than once");
    EXPECT_EQ(RefusalOf(with({ "--client", "1", "1" })), "--client is given more than once");
    EXPECT_EQ(RefusalOf(with({ "--steps", "99999999999999999999" })), "--steps takes at most 9223372036854775807, not '99999999999999999999'");
    EXPECT_EQ(RefusalOf(with({ "--state", "99999999999999999999" })).substr(0, 16), "--state takes at");
    EXPECT_EQ(RefusalOf(with({ "--dpi", "192" })), "--dpi goes with --png: --cell gives the cell itself");
    EXPECT_EQ(RefusalOf({ "--client", "545", "336", "--png", "a.png", "--dpi", "47" }), "--dpi takes a value from 48 to 480, not '47'");
}

TEST(TraceOptions, KeepsAFractionalClientAndTheScaleForPng)
{
    const TraceOptions options = ParseTraceOptions({ "--client", "545.5", "336.25", "--png", "a.png", "--dpi", "192" });
    EXPECT_EQ(options.ClientWidth, 545.5f);
    EXPECT_EQ(options.ClientHeight, 336.25f);
    EXPECT_EQ(options.DotsPerInch, 192);
}

}
}
