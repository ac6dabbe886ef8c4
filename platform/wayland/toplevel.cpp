// The window's protocol objects and their events.
#include "platform/wayland/toplevel.h"

#include "platform/sdl/library_error.h"

#include <algorithm>
#include <utility>

namespace tavrel::wayland {

namespace {

// A compositor answers a window's first commit at once; one that has not in this time never will.
constexpr Microseconds kConfigureWait = 10'000'000;
// Frames come at the output's refresh, a few to a few dozen milliseconds apart; one that has not
// come in a quarter of a second is not coming while the window stays out of sight.
constexpr Microseconds kUnseenAfter = 250'000;

// libdecor reports its failures through a callback that has no window to reach: the first one
// waits here for the window to throw it.
std::optional<std::string> g_decorFailure;

}

Toplevel::Toplevel(Connection& connection, const std::string& title, const std::string& appId, int logicalWidth, int logicalHeight)
    : m_connection(connection)
    , m_logicalWidth(logicalWidth)
    , m_logicalHeight(logicalHeight)
{
    static const wl_surface_listener surfaceListener { Enter, Leave };
    static const wp_fractional_scale_v1_listener scaleListener { PreferredScale };
    m_surface.reset(wl_compositor_create_surface(&connection.Compositor()));
    wl_surface_add_listener(m_surface.get(), &surfaceListener, this);
    if (connection.Decorations())
        MakeShellRole(title, appId);
    else
        MakeDecoratedRole(title, appId);
    if (auto* scales = connection.FractionalScales()) {
        m_fractionalScale.reset(wp_fractional_scale_manager_v1_get_fractional_scale(scales, m_surface.get()));
        wp_fractional_scale_v1_add_listener(m_fractionalScale.get(), &scaleListener, this);
    }
}

void Toplevel::MakeShellRole(const std::string& title, const std::string& appId)
{
    static const xdg_surface_listener shellSurfaceListener { Configure };
    // Bound at version 1, the shell sends neither bounds nor capabilities.
    static const xdg_toplevel_listener toplevelListener { ToplevelConfigure, Close, nullptr, nullptr };
    m_shellSurface.reset(xdg_wm_base_get_xdg_surface(&m_connection.Shell(), m_surface.get()));
    xdg_surface_add_listener(m_shellSurface.get(), &shellSurfaceListener, this);
    m_toplevel.reset(xdg_surface_get_toplevel(m_shellSurface.get()));
    xdg_toplevel_add_listener(m_toplevel.get(), &toplevelListener, this);
    xdg_toplevel_set_title(m_toplevel.get(), title.c_str());
    xdg_toplevel_set_app_id(m_toplevel.get(), appId.c_str());
    xdg_toplevel_set_min_size(m_toplevel.get(), m_logicalWidth, m_logicalHeight);
    xdg_toplevel_set_max_size(m_toplevel.get(), m_logicalWidth, m_logicalHeight);
    m_decoration.reset(zxdg_decoration_manager_v1_get_toplevel_decoration(m_connection.Decorations(), m_toplevel.get()));
    zxdg_toplevel_decoration_v1_set_mode(m_decoration.get(), ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
}

void Toplevel::MakeDecoratedRole(const std::string& title, const std::string& appId)
{
    // Their reserved slots stay empty.
    static libdecor_interface decorListener = [] {
        libdecor_interface listener {};
        listener.error = DecorError;
        return listener;
    }();
    static libdecor_frame_interface frameListener = [] {
        libdecor_frame_interface listener {};
        listener.configure = DecorConfigure;
        listener.close = DecorClose;
        listener.commit = DecorCommit;
        listener.dismiss_popup = DecorDismissPopup;
        return listener;
    }();
    m_decor.reset(libdecor_new(&m_connection.Display(), &decorListener));
    if (!m_decor)
        throw sdl::PlatformError("Couldn't open the window: libdecor could not start");
    m_frame.reset(libdecor_decorate(m_decor.get(), m_surface.get(), &frameListener, this));
    if (!m_frame)
        throw sdl::PlatformError("Couldn't open the window: libdecor could not frame it");
    libdecor_frame_set_title(m_frame.get(), title.c_str());
    libdecor_frame_set_app_id(m_frame.get(), appId.c_str());
    libdecor_frame_set_min_content_size(m_frame.get(), m_logicalWidth, m_logicalHeight);
    libdecor_frame_set_max_content_size(m_frame.get(), m_logicalWidth, m_logicalHeight);
    libdecor_frame_unset_capabilities(m_frame.get(), static_cast<libdecor_capabilities>(LIBDECOR_ACTION_RESIZE | LIBDECOR_ACTION_FULLSCREEN));
}

// The role objects go before the surface, as the shell requires.
Toplevel::~Toplevel()
{
    m_frameCallback.reset();
    m_viewport.reset();
    m_fractionalScale.reset();
    m_decoration.reset();
    m_toplevel.reset();
    m_shellSurface.reset();
    m_frame.reset();
    m_decor.reset();
}

void Toplevel::AwaitFirstConfigure()
{
    if (m_frame)
        libdecor_frame_map(m_frame.get());
    else
        wl_surface_commit(m_surface.get());
    SteadyClock clock;
    const Microseconds deadline = clock.Now() + kConfigureWait;
    while (!m_configured) {
        const Microseconds left = deadline - clock.Now();
        if (left <= 0)
            throw sdl::PlatformError("Couldn't open the window: the Wayland compositor never configured it");
        m_connection.Wait(left);
        m_connection.Dispatch();
    }
    AnswerConfigure();
}

void Toplevel::AnswerConfigure()
{
    if (g_decorFailure)
        throw sdl::PlatformError("Couldn't show the window's frame: " + *g_decorFailure);
    // libdecor has acknowledged the configure itself, in its callback.
    if (std::exchange(m_commitAcknowledgement, false))
        wl_surface_commit(m_surface.get());
    if (!m_pendingConfigure)
        return;
    xdg_surface_ack_configure(m_shellSurface.get(), *std::exchange(m_pendingConfigure, std::nullopt));
    wl_surface_commit(m_surface.get());
}

bool Toplevel::ScaleKnown() const { return m_fractionalScale ? m_preferred120.has_value() : m_enteredOutputScale.has_value(); }

int Toplevel::ScaleToDrawAt() const
{
    std::vector<int> scales;
    for (const auto& output : m_connection.Outputs())
        scales.push_back(output->Scale);
    return ChosenScale120(ScaleHints { m_preferred120, m_enteredOutputScale, scales });
}

void Toplevel::UseLayout(const BufferLayout& layout)
{
    wl_surface_set_buffer_scale(m_surface.get(), layout.BufferScale);
    if (layout.UsesViewport) {
        if (!m_viewport)
            m_viewport.reset(wp_viewporter_get_viewport(m_connection.Viewporter(), m_surface.get()));
        wp_viewport_set_destination(m_viewport.get(), LogicalWidth(), LogicalHeight());
    } else if (m_viewport) {
        wp_viewport_set_destination(m_viewport.get(), -1, -1);
    }
}

void Toplevel::Show(wl_buffer& buffer, Microseconds now)
{
    static const wl_callback_listener frameListener { FrameDone };
    wl_surface_attach(m_surface.get(), &buffer, 0, 0);
    // Every pixel is new: the whole surface is damaged, in its own units, which every version of
    // wl_surface takes.
    wl_surface_damage(m_surface.get(), 0, 0, LogicalWidth(), LogicalHeight());
    if (!m_frameCallback) {
        m_frameCallback.reset(wl_surface_frame(m_surface.get()));
        wl_callback_add_listener(m_frameCallback.get(), &frameListener, this);
        m_frameAskedAt = now;
    }
    wl_surface_commit(m_surface.get());
}

bool Toplevel::FrameOverdue(Microseconds now) const { return m_frameCallback && now - m_frameAskedAt > kUnseenAfter; }

void Toplevel::Enter(void* data, wl_surface*, wl_output* output)
{
    auto& self = *static_cast<Toplevel*>(data);
    if (const Output* entered = self.m_connection.OutputOf(output); entered && !self.m_enteredOutputScale)
        self.m_enteredOutputScale = entered->Scale;
}

void Toplevel::Configure(void* data, xdg_surface*, std::uint32_t serial)
{
    auto& self = *static_cast<Toplevel*>(data);
    self.m_pendingConfigure = serial;
    self.m_configured = true;
}

void Toplevel::ToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) { static_cast<Toplevel*>(data)->NoteSize(width, height); }

void Toplevel::NoteSize(int width, int height)
{
    // Only the sizes until the window is shown count: the grid is sized once.
    if (!m_sizeKept && width > 0 && height > 0) {
        m_configuredWidth = width;
        m_configuredHeight = height;
    }
}

void Toplevel::DecorError(libdecor*, libdecor_error, const char* message)
{
    if (!g_decorFailure)
        g_decorFailure = message ? message : "libdecor failed";
}

void Toplevel::DecorConfigure(libdecor_frame* frame, libdecor_configuration* configuration, void* data)
{
    auto& self = *static_cast<Toplevel*>(data);
    int width = 0;
    int height = 0;
    if (libdecor_configuration_get_content_size(configuration, frame, &width, &height))
        self.NoteSize(width, height);
    const std::unique_ptr<libdecor_state, decltype(&libdecor_state_free)> state(libdecor_state_new(self.LogicalWidth(), self.LogicalHeight()), libdecor_state_free);
    libdecor_frame_commit(frame, state.get(), configuration);
    self.m_configured = true;
    self.m_commitAcknowledgement = true;
}

void Toplevel::DecorClose(libdecor_frame*, void* data) { static_cast<Toplevel*>(data)->m_closeRequested = true; }

void Toplevel::DecorCommit(libdecor_frame*, void* data) { wl_surface_commit(static_cast<Toplevel*>(data)->m_surface.get()); }

void Toplevel::Close(void* data, xdg_toplevel*) { static_cast<Toplevel*>(data)->m_closeRequested = true; }

void Toplevel::PreferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale)
{
    auto& self = *static_cast<Toplevel*>(data);
    if (!self.m_preferred120 && scale > 0)
        self.m_preferred120 = static_cast<int>(scale);
}

void Toplevel::FrameDone(void* data, wl_callback*, std::uint32_t) { static_cast<Toplevel*>(data)->m_frameCallback.reset(); }

}
