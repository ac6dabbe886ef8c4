// Ownership of the compositor's objects on this side of the connection.
#pragma once

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"
#include <wayland-client.h>

#include <memory>

namespace tavrel::wayland {

// Each object goes with its own destructor request, or is only forgotten where it has none.
struct ProxyDestroyer {
    void operator()(wl_display* display) const { wl_display_disconnect(display); }
    void operator()(wl_registry* registry) const { wl_registry_destroy(registry); }
    void operator()(wl_compositor* compositor) const { wl_compositor_destroy(compositor); }
    void operator()(wl_shm* shm) const { wl_shm_destroy(shm); }
    void operator()(wl_shm_pool* pool) const { wl_shm_pool_destroy(pool); }
    void operator()(wl_buffer* buffer) const { wl_buffer_destroy(buffer); }
    void operator()(wl_output* output) const { wl_output_destroy(output); }
    void operator()(wl_surface* surface) const { wl_surface_destroy(surface); }
    void operator()(wl_callback* callback) const { wl_callback_destroy(callback); }
    void operator()(xdg_wm_base* shell) const { xdg_wm_base_destroy(shell); }
    void operator()(xdg_surface* surface) const { xdg_surface_destroy(surface); }
    void operator()(xdg_toplevel* toplevel) const { xdg_toplevel_destroy(toplevel); }
    void operator()(zxdg_decoration_manager_v1* manager) const { zxdg_decoration_manager_v1_destroy(manager); }
    void operator()(zxdg_toplevel_decoration_v1* decoration) const { zxdg_toplevel_decoration_v1_destroy(decoration); }
    void operator()(wp_fractional_scale_manager_v1* manager) const { wp_fractional_scale_manager_v1_destroy(manager); }
    void operator()(wp_fractional_scale_v1* scale) const { wp_fractional_scale_v1_destroy(scale); }
    void operator()(wp_viewporter* viewporter) const { wp_viewporter_destroy(viewporter); }
    void operator()(wp_viewport* viewport) const { wp_viewport_destroy(viewport); }
    // wl_seat.release and wl_keyboard.release exist from version 3 of the seat.
    void operator()(wl_seat* seat) const
    {
        if (wl_seat_get_version(seat) >= WL_SEAT_RELEASE_SINCE_VERSION)
            wl_seat_release(seat);
        else
            wl_seat_destroy(seat);
    }
    void operator()(wl_keyboard* keyboard) const
    {
        if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
            wl_keyboard_release(keyboard);
        else
            wl_keyboard_destroy(keyboard);
    }
};

template <typename T>
using Owned = std::unique_ptr<T, ProxyDestroyer>;

}
