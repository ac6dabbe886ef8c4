// The module's entry points, which the page calls: start, the loop's turns from its timer, keys
// and the page's visibility. Every one catches what escapes, so that a fault reaches the page as
// the error report with its message, never as a bare browser exception.
#include "app/window.h"
#include "platform/display_scale.h"
#include "platform/web/web_runtime.h"

#include <memory>
#include <optional>

namespace {

using namespace tavrel;

// Returned to the page: microseconds to wait before the next turn, or one of these.
constexpr double kNoTimer = -1;
constexpr double kProgramEnded = -2;

struct Program {
    std::unique_ptr<web::WebRuntime> Runtime;
    std::unique_ptr<Tavrel> Window;
    // A fault escaped an entry point: nothing runs again.
    bool Faulted = false;
};

Program& TheProgram()
{
    static Program program;
    return program;
}

// Runs a step; what escapes it is reported and ends the program.
template<typename Step>
double Guarded(Step step) noexcept
{
    Program& program = TheProgram();
    if (program.Faulted)
        return kProgramEnded;
    try {
        return step(program);
    } catch (const std::exception& failure) {
        program.Faulted = true;
        web::ReportFailure(FailureMessage(failure));
    } catch (...) {
        program.Faulted = true;
        web::ReportFailure("Internal error");
    }
    return kProgramEnded;
}

double NextTurn(Program& program)
{
    if (!program.Runtime || program.Runtime->Ended())
        return kProgramEnded;
    const std::optional<Microseconds> wait = program.Runtime->RunTurns();
    if (program.Runtime->Ended())
        return kProgramEnded;
    return wait ? static_cast<double>(*wait) : kNoTimer;
}

}

extern "C" {

// The window's client area in CSS pixels (its size at 96 dots per inch), which the page lays the
// canvas out at before it starts the program.
__attribute__((export_name("tavrel_css_width"))) int tavrel_css_width() { return TwipsToPixels(Tavrel::kDesign.ClientWidthTwips, kStandardDotsPerInch); }
__attribute__((export_name("tavrel_css_height"))) int tavrel_css_height() { return TwipsToPixels(Tavrel::kDesign.ClientHeightTwips, kStandardDotsPerInch); }

// Starts the program at 96 times the page's device pixel ratio, with the canvas' box in device
// pixels as its client area; then as tavrel_turn.
__attribute__((export_name("tavrel_start"))) double tavrel_start(int dotsPerInch, int clientWidth, int clientHeight)
{
    return Guarded([=](Program& program) {
        if (program.Runtime)
            return kProgramEnded;
        program.Runtime = std::make_unique<web::WebRuntime>(Tavrel::kDesign, dotsPerInch, clientWidth, clientHeight);
        program.Window = std::make_unique<Tavrel>(*program.Runtime);
        if (!program.Runtime->Start(*program.Window))
            return kProgramEnded;
        return NextTurn(program);
    });
}

// Delivers what is due. Returns the microseconds until the next turn is due, kNoTimer when only a
// key can wake the program, kProgramEnded once it has ended.
__attribute__((export_name("tavrel_turn"))) double tavrel_turn()
{
    return Guarded([](Program& program) { return NextTurn(program); });
}

// A key that reached the page, in the window's key codes and shift state; handled at once.
__attribute__((export_name("tavrel_key"))) double tavrel_key(int keyCode, int shift)
{
    return Guarded([=](Program& program) {
        if (!program.Runtime || program.Runtime->Ended())
            return kProgramEnded;
        program.Runtime->PressKey(static_cast<std::int16_t>(keyCode), static_cast<std::int16_t>(shift));
        return NextTurn(program);
    });
}

__attribute__((export_name("tavrel_set_seen"))) void tavrel_set_seen(int seen)
{
    Guarded([seen](Program& program) {
        if (program.Runtime)
            program.Runtime->SetSeen(seen != 0);
        return 0.0;
    });
}

// Tick handlers run so far, for the page's counters.
__attribute__((export_name("tavrel_ticks_run"))) double tavrel_ticks_run()
{
    const Program& program = TheProgram();
    return program.Runtime ? program.Runtime->TicksRun() : 0;
}

}
