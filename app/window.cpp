// Start-up of the window and its handlers.
#include "app/window.h"

#include "rain/step.h"
#include "render/frame.h"

namespace tavrel {

namespace {

constexpr std::int32_t kFastestInterval = 1;
constexpr const char* kCellSample = "X";

}

const FormDesign Tavrel::kDesign { "Form1", 8175, 5040, MakeColour(0, 0, 0), kLowestKeptGlyphSize, kRestartGlyphSize };

Tavrel::Tavrel(Runtime& runtime)
    : m_runtime(runtime)
    , m_timer1(runtime.Timers(), [this] { Timer1_Timer(); })
    , m_timer2(runtime.Timers(), [this] { Timer2_Timer(); })
{
}

void Tavrel::Form_Load() { InitField(); }

void Tavrel::Form_KeyDown(std::int16_t, std::int16_t) { EndProgram(); }

void Tavrel::Timer1_Timer() { DrawFrame(m_field, m_runtime.Form(), m_runtime.Random()); }

void Tavrel::Timer2_Timer() { StepRain(m_field, m_runtime.Random()); }

void Tavrel::InitField()
{
    Surface& form = m_runtime.Form();
    form.Show();
    // Both timers are armed here, but their ticks come from the event loop, which runs only after
    // start-up has returned and the field exists.
    m_timer1.SetInterval(kFastestInterval);
    m_timer2.SetInterval(kFastestInterval);
    // The cell is measured in the window's own font, before any glyph size has been applied.
    m_field.CellWidth = ToInt16(form.TextWidth(kCellSample));
    m_field.CellHeight = ToInt16(form.TextHeight(kCellSample));
    m_field.MaxColumn = LastCellIndex(form.ScaleWidth(), m_field.CellWidth);
    m_field.MaxRow = LastCellIndex(form.ScaleHeight(), m_field.CellHeight);
    CreateField(m_field);
    // The generator is not seeded yet, so the starting rows and sizes repeat from run to run.
    FillField(m_field, m_runtime.Random());
    m_runtime.Random().SeedFromClock();
}

}
