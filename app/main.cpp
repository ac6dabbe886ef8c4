// tavrel: a window of falling green characters; any key ends it.
#include "app/window.h"
#include "platform/sdl/sdl_runtime.h"

int main()
{
    const auto runtime = tavrel::sdl::SdlRuntime::Start(tavrel::Tavrel::kDesign);
    if (!runtime)
        return tavrel::sdl::kStartupFailureStatus;
    tavrel::Tavrel window(*runtime);
    return runtime->Run(window);
}
