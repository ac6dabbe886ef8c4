#include "render/frame.h"

#include "platform/characters.h"
#include "platform/headless/fixed_metrics_surface.h"
#include "platform/headless/recording_surface.h"
#include "platform/numeric.h"
#include "rain/step.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace tavrel {
namespace {

struct Frame : testing::Test {
    RainField field;
    FixedMetricsSurface drawing { 545, 336, 7, 13 };
    RecordingSurface surface { drawing, 8 };
    RandomGenerator random;

    void MakeField(std::int16_t maxColumn, std::int16_t maxRow, std::int16_t glyphSize = 12)
    {
        field.CellWidth = 7;
        field.CellHeight = 13;
        field.MaxColumn = maxColumn;
        field.MaxRow = maxRow;
        CreateField(field);
        for (int column = 0; column <= maxColumn; ++column)
            field.GlyphSize(column) = glyphSize;
    }

    // The one print of a field with a single cell of the given brightness, if any.
    std::optional<PrintRecord> PrintOfCell(std::uint8_t brightness)
    {
        MakeField(0, 0);
        field.Brightness(0, 0) = brightness;
        DrawFrame(field, surface, random);
        if (surface.Prints().empty())
            return std::nullopt;
        EXPECT_EQ(surface.Prints().size(), 1u);
        return surface.Prints().front();
    }
};

TEST_F(Frame, AFieldOfZerosIsPlainBackgroundAndDrawsNoNumber)
{
    MakeField(76, 24);
    DrawFrame(field, surface, random);
    EXPECT_EQ(surface.ClsCount(), 1);
    EXPECT_TRUE(surface.Prints().empty());
    EXPECT_EQ(random.State(), RandomGenerator::kUnseededState);
}

TEST_F(Frame, HeadsArePaleGreenAndTrailsFadeWithBrightness)
{
    EXPECT_EQ(PrintOfCell(255)->ForeColor, MakeColour(100, 255, 100));
    EXPECT_EQ(PrintOfCell(247)->ForeColor, MakeColour(0, 165, 0));
    EXPECT_EQ(PrintOfCell(55)->ForeColor, MakeColour(0, 37, 0));
    EXPECT_EQ(PrintOfCell(50)->ForeColor, MakeColour(0, 33, 0));
    EXPECT_EQ(PrintOfCell(254)->ForeColor, MakeColour(0, 169, 0));
    EXPECT_FALSE(PrintOfCell(49));
    EXPECT_FALSE(PrintOfCell(47));
    EXPECT_FALSE(PrintOfCell(7));
}

TEST_F(Frame, TrailGreensRoundTwoThirdsOfTheBrightness)
{
    for (int value = 0; value < 256; ++value)
        EXPECT_EQ(TrailColour(static_cast<std::uint8_t>(value)).Green, (2 * value + 1) / 3) << value;
}

TEST_F(Frame, PrintsOneRandomCharacterPerLitCellInVisitingOrder)
{
    MakeField(3, 40);
    RandomGenerator stepper;
    FillField(field, stepper);
    for (int step = 0; step < 30; ++step)
        StepRain(field, stepper);
    RandomGenerator expected = random;
    DrawFrame(field, surface, random);

    std::size_t next = 0;
    for (int column = 0; column <= 3; ++column) {
        for (int row = 0; row <= 40; ++row) {
            if (field.Brightness(column, row) < kLitThreshold)
                continue;
            ASSERT_LT(next, surface.Prints().size());
            const PrintRecord& print = surface.Prints()[next++];
            EXPECT_EQ(print.X, column * 7.0f);
            EXPECT_EQ(print.Y, row * 13.0f);
            EXPECT_EQ(print.FontSize, field.GlyphSize(column));
            EXPECT_EQ(print.Text, CharFromCode(ToInt32(ProductInDouble(expected.NextRandom(), 255))));
        }
    }
    EXPECT_EQ(next, surface.Prints().size());
    EXPECT_EQ(random.State(), expected.State());
}

TEST_F(Frame, TwoFramesOfAnUnchangedFieldLightTheSameCellsWithFreshCharacters)
{
    MakeField(10, 40);
    RandomGenerator stepper;
    FillField(field, stepper);
    for (int step = 0; step < 30; ++step)
        StepRain(field, stepper);
    DrawFrame(field, surface, random);
    const std::vector<PrintRecord> first = surface.Prints();
    DrawFrame(field, surface, random);
    const std::vector<PrintRecord>& second = surface.Prints();
    ASSERT_EQ(first.size(), second.size());
    ASSERT_GT(first.size(), 20u);
    int changed = 0;
    for (std::size_t index = 0; index < first.size(); ++index) {
        EXPECT_EQ(first[index].X, second[index].X);
        EXPECT_EQ(first[index].Y, second[index].Y);
        EXPECT_EQ(first[index].ForeColor, second[index].ForeColor);
        changed += first[index].Text != second[index].Text;
    }
    EXPECT_GT(changed, static_cast<int>(first.size()) * 9 / 10);
}

TEST_F(Frame, APositionBeyondSixteenBitsKeepsThePreviousPosition)
{
    MakeField(2, 0);
    field.CellWidth = 20000;
    for (int column = 0; column <= 2; ++column)
        field.Brightness(column, 0) = 255;
    DrawFrame(field, surface, random);
    ASSERT_EQ(surface.Prints().size(), 3u);
    EXPECT_EQ(surface.Prints()[1].X, 20000.0f);
    EXPECT_EQ(surface.Prints()[2].X, 20000.0f); // 2 x 20000 does not fit 16 bits
}

TEST_F(Frame, ARefusedGlyphSizeKeepsThePreviousSize)
{
    MakeField(1, 0);
    field.GlyphSize(0) = 15;
    field.GlyphSize(1) = 0;
    field.Brightness(0, 0) = 255;
    field.Brightness(1, 0) = 255;
    DrawFrame(field, surface, random);
    ASSERT_EQ(surface.Prints().size(), 2u);
    EXPECT_EQ(surface.Prints()[1].FontSize, 15.0f);
}

// Frames passed over while the window cannot be seen leave everything but the drawing as drawn
// frames do: the same rain and generator afterwards, and the surface's position, colour and size
// as the last cell left them, positions beyond 16 bits and refused sizes included.
TEST(UnseenFrames, PassingOverFramesGivesTheSameRainGeneratorAndSurface)
{
    struct Run {
        Run(float width, float height, float cellWidth, float cellHeight)
            : drawing(width, height, cellWidth, cellHeight)
        {
        }
        RainField field;
        RandomGenerator random { ClockSeeding::Ignored };
        FixedMetricsSurface drawing;
        RecordingSurface surface { drawing, 8 };
    };
    for (const auto& [width, height, cellWidth, cellHeight] : std::vector<std::array<float, 4>> { { 545, 336, 7, 13 }, { 100000, 200, 10000, 20 }, { 300, 100000, 150, 10000 } }) {
        Run drawn(width, height, cellWidth, cellHeight);
        Run passed(width, height, cellWidth, cellHeight);
        for (Run* run : { &drawn, &passed }) {
            run->field.CellWidth = static_cast<std::int16_t>(cellWidth);
            run->field.CellHeight = static_cast<std::int16_t>(cellHeight);
            run->field.MaxColumn = LastCellIndex(width, run->field.CellWidth);
            run->field.MaxRow = LastCellIndex(height, run->field.CellHeight);
            CreateField(run->field);
            FillField(run->field, run->random);
            run->random.SetState(4321);
        }
        for (int tick = 0; tick < 300; ++tick) {
            // Unseen from the first frame for a while (sizes of 0 in force), and again later.
            const bool seen = !(tick < 40 || (tick >= 150 && tick < 230));
            passed.drawing.SetSeen(seen);
            for (Run* run : { &drawn, &passed }) {
                DrawFrame(run->field, run->surface, run->random);
                StepRain(run->field, run->random);
            }
            ASSERT_EQ(passed.random.State(), drawn.random.State()) << "tick " << tick;
            ASSERT_EQ(passed.surface.CurrentX(), drawn.surface.CurrentX()) << "tick " << tick;
            ASSERT_EQ(passed.surface.CurrentY(), drawn.surface.CurrentY()) << "tick " << tick;
            ASSERT_EQ(passed.drawing.ForeColor(), drawn.drawing.ForeColor()) << "tick " << tick;
            ASSERT_EQ(passed.drawing.FontSize(), drawn.drawing.FontSize()) << "tick " << tick;
            if (seen) {
                ASSERT_EQ(passed.surface.Prints(), drawn.surface.Prints()) << "tick " << tick;
            }
        }
        for (int column = 0; column <= drawn.field.MaxColumn; ++column) {
            ASSERT_EQ(passed.field.DropRow(column), drawn.field.DropRow(column));
            ASSERT_EQ(passed.field.GlyphSize(column), drawn.field.GlyphSize(column));
            for (int row = 0; row <= drawn.field.MaxRow; ++row)
                ASSERT_EQ(passed.field.Brightness(column, row), drawn.field.Brightness(column, row));
        }
    }
}

}
}
