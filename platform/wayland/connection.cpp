// Connecting, binding the globals, and reading the compositor's events.
#include "platform/wayland/connection.h"

#include "platform/sdl/library_error.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace tavrel::wayland {

namespace {

using sdl::PlatformError;

// libwayland tells a protocol error, the compositor's own words about what the program did wrong,
// only through its log; the last line is kept for the error report.
std::string g_lastLogLine;

void KeepLogLine(const char* format, va_list arguments)
{
    char line[512];
    std::vsnprintf(line, sizeof line, format, arguments);
    g_lastLogLine = line;
    while (!g_lastLogLine.empty() && g_lastLogLine.back() == '\n')
        g_lastLogLine.pop_back();
}

std::string CompositorName()
{
    if (const char* socket = std::getenv("WAYLAND_SOCKET"); socket && *socket)
        return "the socket WAYLAND_SOCKET hands over";
    const char* name = std::getenv("WAYLAND_DISPLAY");
    return std::string("\"") + (name && *name ? name : "wayland-0") + "\"";
}

void Ping(void*, xdg_wm_base* shell, std::uint32_t serial) { xdg_wm_base_pong(shell, serial); }
const xdg_wm_base_listener kShellListener { Ping };

void OutputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, const char*, const char*, std::int32_t) { }
void OutputMode(void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) { }
void OutputDone(void*, wl_output*) { }
void OutputScale(void* data, wl_output*, std::int32_t scale) { static_cast<Output*>(data)->Scale = std::max(1, scale); }
void OutputText(void*, wl_output*, const char*) { }
const wl_output_listener kOutputListener { OutputGeometry, OutputMode, OutputDone, OutputScale, OutputText, OutputText };

// The newest version of a global this program knows, or the compositor's where older.
std::uint32_t Version(std::uint32_t offered, std::uint32_t known) { return std::min(offered, known); }

}

std::unique_ptr<Connection> Connection::Open(std::string& whyNot)
{
    wl_log_set_handler_client(KeepLogLine);
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        whyNot = "cannot connect to the Wayland compositor " + CompositorName() + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<Connection>(new Connection(display));
}

Connection::Connection(wl_display* display)
    : m_display(display)
{
}

Connection::~Connection() = default;

void Connection::Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version)
{
    auto& self = *static_cast<Connection*>(data);
    // Into the proxy given, at the newest version this program knows or the compositor's older one.
    const auto bind = [&](auto& proxy, const wl_interface& type, std::uint32_t known) {
        using Proxy = typename std::remove_reference_t<decltype(proxy)>::element_type;
        proxy.reset(static_cast<Proxy*>(wl_registry_bind(registry, name, &type, Version(version, known))));
    };
    const std::string_view offered(interface);
    if (offered == wl_compositor_interface.name && !self.m_compositor) {
        bind(self.m_compositor, wl_compositor_interface, 3);
    } else if (offered == wl_shm_interface.name && !self.m_shm) {
        bind(self.m_shm, wl_shm_interface, 1);
    } else if (offered == xdg_wm_base_interface.name && !self.m_shell) {
        bind(self.m_shell, xdg_wm_base_interface, 1);
        xdg_wm_base_add_listener(self.m_shell.get(), &kShellListener, &self);
    } else if (offered == zxdg_decoration_manager_v1_interface.name && !self.m_decorations) {
        bind(self.m_decorations, zxdg_decoration_manager_v1_interface, 1);
    } else if (offered == wp_fractional_scale_manager_v1_interface.name && !self.m_fractionalScales) {
        bind(self.m_fractionalScales, wp_fractional_scale_manager_v1_interface, 1);
    } else if (offered == wp_viewporter_interface.name && !self.m_viewporter) {
        bind(self.m_viewporter, wp_viewporter_interface, 1);
    } else if (offered == wl_output_interface.name) {
        auto output = std::make_unique<Output>();
        output->Name = name;
        // Version 2 brings the scale.
        bind(output->Proxy, wl_output_interface, 2);
        wl_output_add_listener(output->Proxy.get(), &kOutputListener, output.get());
        self.m_outputs.push_back(std::move(output));
    } else if (offered == wl_seat_interface.name) {
        Owned<wl_seat> seat;
        bind(seat, wl_seat_interface, 5);
        self.m_keyboards.AddSeat(std::move(seat), name);
    }
}

void Connection::GlobalRemove(void* data, wl_registry*, std::uint32_t name)
{
    auto& self = *static_cast<Connection*>(data);
    if (self.m_keyboards.RemoveSeat(name))
        return;
    std::erase_if(self.m_outputs, [&](const auto& output) { return output->Name == name; });
}

void Connection::Bind()
{
    static const wl_registry_listener listener { Global, GlobalRemove };
    m_registry.reset(wl_display_get_registry(m_display.get()));
    wl_registry_add_listener(m_registry.get(), &listener, this);
    // The globals first, then what they say of themselves: the outputs' scales, the seats'
    // keyboards.
    Roundtrip();
    Roundtrip();
    const auto missing = [](const char* what) { return PlatformError(std::string("Couldn't open the window: the Wayland compositor offers no ") + what); };
    if (!m_compositor || wl_compositor_get_version(m_compositor.get()) < 3)
        throw missing("wl_compositor of version 3 or later (surfaces with a buffer scale)");
    if (!m_shm)
        throw missing("wl_shm (shared-memory buffers)");
    if (!m_shell)
        throw missing("xdg_wm_base (windows of the xdg shell)");
}

const Output* Connection::OutputOf(const wl_output* proxy) const
{
    const auto found = std::find_if(m_outputs.begin(), m_outputs.end(), [&](const auto& output) { return output->Proxy.get() == proxy; });
    return found == m_outputs.end() ? nullptr : found->get();
}

void Connection::ThrowFailure()
{
    const int error = wl_display_get_error(m_display.get());
    if (error == EPROTO && !g_lastLogLine.empty())
        throw PlatformError("The display closed: the Wayland compositor ended the connection: " + g_lastLogLine);
    throw PlatformError("The display closed: the connection to the Wayland compositor " + CompositorName() + " was lost"
        + (error != 0 ? std::string(" (") + std::strerror(error) + ")" : std::string()));
}

void Connection::Dispatch()
{
    while (wl_display_prepare_read(m_display.get()) != 0) {
        if (wl_display_dispatch_pending(m_display.get()) < 0)
            ThrowFailure();
    }
    // A full socket (EAGAIN) is sent on a later turn; anything else is a lost connection.
    if (wl_display_flush(m_display.get()) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(m_display.get());
        ThrowFailure();
    }
    pollfd socket { wl_display_get_fd(m_display.get()), POLLIN, 0 };
    if (poll(&socket, 1, 0) > 0) {
        if (wl_display_read_events(m_display.get()) < 0)
            ThrowFailure();
    } else {
        wl_display_cancel_read(m_display.get());
    }
    if (wl_display_dispatch_pending(m_display.get()) < 0)
        ThrowFailure();
}

void Connection::Wait(std::optional<Microseconds> timeout, const sigset_t* signalMask)
{
    if (wl_display_prepare_read(m_display.get()) != 0)
        return; // events are queued already
    wl_display_flush(m_display.get());
    pollfd socket { wl_display_get_fd(m_display.get()), POLLIN, 0 };
    const Microseconds wait = std::max<Microseconds>(0, timeout.value_or(0));
    const timespec limit { static_cast<time_t>(wait / 1000000), static_cast<long>(wait % 1000000 * 1000) };
    ppoll(&socket, 1, timeout ? &limit : nullptr, signalMask);
    wl_display_cancel_read(m_display.get());
}

void Connection::Roundtrip()
{
    if (wl_display_roundtrip(m_display.get()) < 0)
        ThrowFailure();
}

}
