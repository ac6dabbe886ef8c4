// The window, its message loop and the error report on Win32.
#include "platform/win32/win32_runtime.h"

#include "platform/win32/bitmap_info.h"
#include "platform/win32/win32_error.h"
#include "platform/window_placement.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

namespace tavrel::win32 {

namespace {

constexpr const wchar_t* kWindowClass = L"TavrelForm";
constexpr int kIconResource = 1;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr UINT_PTR kSystemLoopTimer = 1;
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

std::wstring Widen(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), length);
    wide.resize(wide.size() - 1);
    return wide;
}

// The system's scale, which the manifest's system awareness lets the program see unstretched.
int SystemDotsPerInch()
{
    const HDC screen = GetDC(nullptr);
    const int dotsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dotsPerInch > 0 ? dotsPerInch : kStandardDotsPerInch;
}

std::int16_t ShiftState()
{
    const auto down = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
    return static_cast<std::int16_t>((down(VK_SHIFT) ? 1 : 0) | (down(VK_CONTROL) ? 2 : 0) | (down(VK_MENU) ? 4 : 0));
}

// A high-resolution timer where the system has one (Windows 10 1803 and later); elsewhere one
// that fires at the first system tick after the moment, which is still within the tick's period.
HANDLE MakeWakeUpTimer()
{
    HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    if (!timer)
        timer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    if (!timer)
        throw Win32Error("Couldn't make the timers' clock", "CreateWaitableTimerW");
    return timer;
}

PixelRect PixelRectOf(const RECT& rect) { return PixelRect { rect.left, rect.top, rect.right, rect.bottom }; }

}

void ReportFailure(const std::string& message, HWND parent)
{
    std::fprintf(stderr, "%s: %s\n", kProgramName, message.c_str());
    MessageBoxW(parent, Widen(message).c_str(), Widen(kProgramName).c_str(), MB_ICONERROR | MB_OK);
}

// The window's surface: drawing goes to the off-screen image; Show shows the window and takes
// the client area the desktop gave it, which Windows keeps within the screen.
class Win32Runtime::WindowSurface final : public RasterSurface {
public:
    WindowSurface(HWND window, GlyphSource& glyphs, int width, int height, const FormDesign& design)
        : RasterSurface(glyphs, static_cast<float>(width), static_cast<float>(height), design.BackColor, kWindowFontSize)
        , m_window(window)
        , m_printSizes(design.SmallestPrintSize, design.LargestPrintSize)
    {
    }

    void Show() override
    {
        // The first ShowWindow of a process follows the launcher's setting, which may open the
        // window minimised; the client area is then that of its normal placement.
        ShowWindow(m_window, SW_SHOWNORMAL);
        RECT client {};
        GetClientRect(m_window, &client);
        WINDOWPLACEMENT placement {};
        placement.length = sizeof(placement);
        if (!GetWindowPlacement(m_window, &placement))
            throw Win32Error("Couldn't read the window's placement", "GetWindowPlacement");
        RECT frame {};
        AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
        const PixelSize size = ShownClientSize(IsIconic(m_window), PixelRectOf(client), PixelRectOf(placement.rcNormalPosition), PixelRectOf(frame));
        if (size.Width != ImageWidth() || size.Height != ImageHeight())
            SetClientSize(size.Width, size.Height);
        UpdateWindow(m_window);
        PrepareFontSizes(m_printSizes.first, m_printSizes.second);
    }

private:
    HWND m_window;
    std::pair<int, int> m_printSizes;
};

std::unique_ptr<Win32Runtime> Win32Runtime::Start(const FormDesign& design)
{
    std::unique_ptr<Win32Runtime> runtime;
    try {
        runtime.reset(new Win32Runtime());
        runtime->OpenWindow(design);
    } catch (const std::exception& failure) {
        win32::ReportFailure(FailureMessage(failure), nullptr);
        return nullptr;
    }
    return runtime;
}

Win32Runtime::Win32Runtime()
    : m_dotsPerInch(SystemDotsPerInch())
    , m_glyphs(m_dotsPerInch)
{
}

Win32Runtime::~Win32Runtime()
{
    if (m_window)
        DestroyWindow(m_window);
    if (m_wakeUp)
        CloseHandle(m_wakeUp);
}

Surface& Win32Runtime::Form() { return *m_surface; }

void Win32Runtime::OpenWindow(const FormDesign& design)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconResource));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass))
        throw Win32Error("Couldn't register the window class", "RegisterClassExW");
    const int width = TwipsToPixels(design.ClientWidthTwips, m_dotsPerInch);
    const int height = TwipsToPixels(design.ClientHeightTwips, m_dotsPerInch);
    RECT frame { 0, 0, width, height };
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    m_window = CreateWindowExW(0, kWindowClass, Widen(design.Caption).c_str(), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (!m_window)
        throw Win32Error("Couldn't open the window", "CreateWindowExW");
    m_surface = std::make_unique<WindowSurface>(m_window, m_glyphs, width, height, design);
    m_wakeUp = MakeWakeUpTimer();
}

int Win32Runtime::Run(FormEvents& form) { return RunEventLoop(*this, form, m_timers); }

void Win32Runtime::ReportFailure(const std::string& message) { win32::ReportFailure(message, m_window); }

void Win32Runtime::DispatchPendingEvents(FormEvents& form)
{
    MSG message;
    while (!m_closeRequested && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        // Keys are handled here rather than in the window procedure, so that ending the program
        // never unwinds through the system's own frames.
        if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
            form.Form_KeyDown(static_cast<std::int16_t>(message.wParam), ShiftState());
            continue;
        }
        if (message.message == WM_QUIT) {
            m_closeRequested = true;
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        m_nestedTicks.RaiseKept();
    }
}

void Win32Runtime::WaitForEventOrTick(std::optional<Microseconds> due)
{
    if (!due) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
        return;
    }
    const Microseconds wait = *due - m_clock.Now();
    if (wait <= 0)
        return;
    // In units of 100 ns, negative for a time from now. A timeout in whole milliseconds could
    // wake a system tick late, and the scheduler would merge that tick away.
    LARGE_INTEGER dueTime {};
    dueTime.QuadPart = -wait * 10;
    if (!SetWaitableTimer(m_wakeUp, &dueTime, 0, nullptr, nullptr, FALSE))
        throw Win32Error("Couldn't wait for the next tick", "SetWaitableTimer");
    MsgWaitForMultipleObjects(1, &m_wakeUp, FALSE, INFINITE, QS_ALLINPUT);
}

void Win32Runtime::EnterSystemLoop()
{
    if (m_systemLoops++ == 0)
        SetTimer(m_window, kSystemLoopTimer, USER_TIMER_MINIMUM, nullptr);
}

void Win32Runtime::LeaveSystemLoop()
{
    if (m_systemLoops > 0 && --m_systemLoops == 0)
        KillTimer(m_window, kSystemLoopTimer);
}

void Win32Runtime::Present(HDC target)
{
    const PixelBuffer& image = m_surface->Image();
    const BITMAPINFO info = TopDownBitmapInfo(image.Width(), image.Height());
    SetDIBitsToDevice(target, 0, 0, static_cast<DWORD>(image.Width()), static_cast<DWORD>(image.Height()), 0, 0, 0,
        static_cast<UINT>(image.Height()), image.Data(), &info, DIB_RGB_COLORS);
}

void Win32Runtime::PresentIfChanged()
{
    // Minimised, frames are passed over; WM_PAINT shows the last one drawn when it is restored.
    if (IsIconic(m_window) || !m_surface->TakeChanged())
        return;
    const HDC target = GetDC(m_window);
    Present(target);
    ReleaseDC(m_window, target);
}

LRESULT CALLBACK Win32Runtime::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* runtime = reinterpret_cast<Win32Runtime*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_CLOSE:
        if (runtime)
            runtime->m_closeRequested = true;
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC target = BeginPaint(window, &paint);
        if (runtime && runtime->m_surface)
            runtime->Present(target);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        if (runtime && runtime->m_surface)
            runtime->m_surface->SetSeen(wParam != SIZE_MINIMIZED);
        break;
    case WM_TIMER:
        if (wParam != kSystemLoopTimer || !runtime)
            break;
        runtime->m_nestedTicks.Deliver(*runtime, runtime->m_timers);
        return 0;
    case WM_ENTERSIZEMOVE:
    case WM_ENTERMENULOOP:
        if (runtime)
            runtime->EnterSystemLoop();
        break;
    case WM_EXITSIZEMOVE:
    case WM_EXITMENULOOP:
        if (runtime)
            runtime->LeaveSystemLoop();
        break;
    case WM_NCLBUTTONDOWN: {
        // Holding a caption button runs a tracking loop that announces itself to no one.
        if (runtime)
            runtime->EnterSystemLoop();
        const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        if (runtime)
            runtime->LeaveSystemLoop();
        return result;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}
