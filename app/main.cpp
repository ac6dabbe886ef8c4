// tavrel: a window of falling green characters; any key ends it.
#include "app/window.h"
#include "platform/native_runtime.h"

int main()
{
    const auto runtime = tavrel::NativeRuntime::Start(tavrel::Tavrel::kDesign);
    if (!runtime)
        return tavrel::kStartupFailureStatus;
    tavrel::Tavrel window(*runtime);
    return runtime->Run(window);
}
