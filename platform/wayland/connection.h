// The connection to a Wayland compositor and the globals the window is made from.
#pragma once

#include "platform/key_code.h"
#include "platform/timer.h"
#include "platform/wayland/keyboard.h"
#include "platform/wayland/proxy.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavrel::wayland {

struct Output {
    Owned<wl_output> Proxy;
    std::uint32_t Name = 0;
    int Scale = 1;
};

class Connection {
public:
    // Connects to the compositor the environment names (WAYLAND_SOCKET, WAYLAND_DISPLAY or
    // "wayland-0"). Nothing when none answers, with the reason in whyNot: "cannot connect to the
    // Wayland compositor "wayland-1": No such file or directory".
    static std::unique_ptr<Connection> Open(std::string& whyNot);

    // Learns the compositor's globals. Throws PlatformError when one the window needs is missing
    // or the compositor ends the connection, in its own words.
    void Bind();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    wl_display& Display() { return *m_display; }
    wl_compositor& Compositor() { return *m_compositor; }
    wl_shm& Shm() { return *m_shm; }
    xdg_wm_base& Shell() { return *m_shell; }
    // The optional globals: none where the compositor does not offer them.
    zxdg_decoration_manager_v1* Decorations() { return m_decorations.get(); }
    wp_fractional_scale_manager_v1* FractionalScales() { return m_fractionalScales.get(); }
    wp_viewporter* Viewporter() { return m_viewporter.get(); }

    const std::vector<std::unique_ptr<Output>>& Outputs() const { return m_outputs; }
    const Output* OutputOf(const wl_output* proxy) const;

    // The first key pressed since the last call, on any keyboard of any seat.
    std::optional<PressedKey> TakeKeyPress() { return m_keyboards.TakeKeyPress(); }

    // Reads what the compositor has sent and runs its handlers, without waiting. Throws
    // PlatformError, "The display closed: <why>", once the connection has failed.
    void Dispatch();
    // Waits until the compositor sends something or the microseconds given pass (none: no
    // limit), or a signal the mask given lets through comes. Never throws: a failure is found by
    // the next Dispatch.
    void Wait(std::optional<Microseconds> timeout, const sigset_t* signalMask = nullptr);
    // Dispatches until the compositor has answered every request sent so far.
    void Roundtrip();

private:
    explicit Connection(wl_display* display);
    static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version);
    static void GlobalRemove(void* data, wl_registry* registry, std::uint32_t name);
    [[noreturn]] void ThrowFailure();

    // Declared first, so that it is disconnected after every proxy on it is destroyed.
    Owned<wl_display> m_display;
    Owned<wl_registry> m_registry;
    Owned<wl_compositor> m_compositor;
    Owned<wl_shm> m_shm;
    Owned<xdg_wm_base> m_shell;
    Owned<zxdg_decoration_manager_v1> m_decorations;
    Owned<wp_fractional_scale_manager_v1> m_fractionalScales;
    Owned<wp_viewporter> m_viewporter;
    std::vector<std::unique_ptr<Output>> m_outputs;
    Keyboards m_keyboards;
};

}
