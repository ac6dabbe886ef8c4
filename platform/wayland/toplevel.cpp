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

}

Toplevel::Toplevel(Connection& connection, const std::string& title, const std::string& appId, int logicalWidth, int logicalHeight)
    : m_connection(connection)
    , m_logicalWidth(logicalWidth)
    , m_logicalHeight(logicalHeight)
{
    static const wl_surface_listener surfaceListener { Enter, Leave };
    static const xdg_surface_listener shellSurfaceListener { Configure };
    // Bound at version 1, the shell sends neither bounds nor capabilities.
    static const xdg_toplevel_listener toplevelListener { ToplevelConfigure, Close, nullptr, nullptr };
    static const wp_fractional_scale_v1_listener scaleListener { PreferredScale };
    m_surface.reset(wl_compositor_create_surface(&connection.Compositor()));
    wl_surface_add_listener(m_surface.get(), &surfaceListener, this);
    m_shellSurface.reset(xdg_wm_base_get_xdg_surface(&connection.Shell(), m_surface.get()));
    xdg_surface_add_listener(m_shellSurface.get(), &shellSurfaceListener, this);
    m_toplevel.reset(xdg_surface_get_toplevel(m_shellSurface.get()));
    xdg_toplevel_add_listener(m_toplevel.get(), &toplevelListener, this);
    xdg_toplevel_set_title(m_toplevel.get(), title.c_str());
    xdg_toplevel_set_app_id(m_toplevel.get(), appId.c_str());
    xdg_toplevel_set_min_size(m_toplevel.get(), logicalWidth, logicalHeight);
    xdg_toplevel_set_max_size(m_toplevel.get(), logicalWidth, logicalHeight);
    if (auto* decorations = connection.Decorations()) {
        m_decoration.reset(zxdg_decoration_manager_v1_get_toplevel_decoration(decorations, m_toplevel.get()));
        zxdg_toplevel_decoration_v1_set_mode(m_decoration.get(), ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    }
    if (auto* scales = connection.FractionalScales()) {
        m_fractionalScale.reset(wp_fractional_scale_manager_v1_get_fractional_scale(scales, m_surface.get()));
        wp_fractional_scale_v1_add_listener(m_fractionalScale.get(), &scaleListener, this);
    }
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
}

void Toplevel::AwaitFirstConfigure()
{
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

void Toplevel::Show(wl_buffer& buffer, int pixelWidth, int pixelHeight, Microseconds now)
{
    static const wl_callback_listener frameListener { FrameDone };
    wl_surface_attach(m_surface.get(), &buffer, 0, 0);
    if (m_connection.DamagesBuffers())
        wl_surface_damage_buffer(m_surface.get(), 0, 0, pixelWidth, pixelHeight);
    else
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

void Toplevel::ToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*)
{
    auto& self = *static_cast<Toplevel*>(data);
    // Only the sizes until the window is shown count: the grid is sized once.
    if (!self.m_sizeKept && width > 0 && height > 0) {
        self.m_configuredWidth = width;
        self.m_configuredHeight = height;
    }
}

void Toplevel::Close(void* data, xdg_toplevel*) { static_cast<Toplevel*>(data)->m_closeRequested = true; }

void Toplevel::PreferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale)
{
    auto& self = *static_cast<Toplevel*>(data);
    if (!self.m_preferred120 && scale > 0)
        self.m_preferred120 = static_cast<int>(scale);
}

void Toplevel::FrameDone(void* data, wl_callback*, std::uint32_t) { static_cast<Toplevel*>(data)->m_frameCallback.reset(); }

}
