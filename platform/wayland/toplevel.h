// The program's window as an xdg_toplevel: its surface, the shell's configure handshake, the
// decorations, the scale the compositor wants and the frames it has shown.
#pragma once

#include "platform/wayland/connection.h"
#include "platform/wayland/scale_rules.h"

#include <libdecor.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrel::wayland {

class Toplevel {
public:
    // A window of a fixed logical size (min = max, so that tiling compositors float it), with
    // server-side decorations where the compositor offers them, and a frame libdecor draws where
    // it does not. Not yet mapped.
    Toplevel(Connection& connection, const std::string& title, const std::string& appId, int logicalWidth, int logicalHeight);
    ~Toplevel();
    Toplevel(const Toplevel&) = delete;
    Toplevel& operator=(const Toplevel&) = delete;

    // Commits the empty surface and waits for the shell's first configure. Throws PlatformError
    // when the compositor fails or never answers.
    void AwaitFirstConfigure();

    // Acknowledges a configure that came since the last call, committing the acknowledgement.
    // Throws PlatformError where the frame failed.
    void AnswerConfigure();

    // The client area in logical pixels: the compositor's choice where it made one, the size
    // asked for otherwise.
    int LogicalWidth() const { return m_configuredWidth > 0 ? m_configuredWidth : m_logicalWidth; }
    int LogicalHeight() const { return m_configuredHeight > 0 ? m_configuredHeight : m_logicalHeight; }

    // Whether the compositor has said which scale it wants: the preferred fractional scale where
    // it offers the protocol, the output the surface entered otherwise.
    bool ScaleKnown() const;
    int ScaleToDrawAt() const;

    // From now on a configured size is only acknowledged: the client area is what it is.
    void KeepSize() { m_sizeKept = true; }

    // Announces how the buffers' pixels map onto the logical size.
    void UseLayout(const BufferLayout& layout);

    // Shows a buffer of the layout's size, all of it new, and asks to hear when it is on screen.
    void Show(wl_buffer& buffer, Microseconds now);

    // Whether a frame the compositor was asked about has been waiting longer than a glance
    // (hidden, minimised, occluded): frames are then passed over until it comes.
    bool FrameOverdue(Microseconds now) const;

    bool CloseRequested() const { return m_closeRequested; }

private:
    static void Enter(void* data, wl_surface*, wl_output* output);
    static void Leave(void*, wl_surface*, wl_output*) { }
    static void Configure(void* data, xdg_surface*, std::uint32_t serial);
    static void ToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*);
    static void Close(void* data, xdg_toplevel*);
    static void PreferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale);
    static void FrameDone(void* data, wl_callback*, std::uint32_t);
    static void DecorError(libdecor* context, libdecor_error error, const char* message);
    static void DecorConfigure(libdecor_frame* frame, libdecor_configuration* configuration, void* data);
    static void DecorClose(libdecor_frame*, void* data);
    static void DecorCommit(libdecor_frame*, void* data);
    static void DecorDismissPopup(libdecor_frame*, const char*, void*) { }
    void MakeShellRole(const std::string& title, const std::string& appId);
    void MakeDecoratedRole(const std::string& title, const std::string& appId);
    void NoteSize(int width, int height);

    struct DecorUnref {
        void operator()(libdecor* context) const { libdecor_unref(context); }
        void operator()(libdecor_frame* frame) const { libdecor_frame_unref(frame); }
    };

    Connection& m_connection;
    int m_logicalWidth;
    int m_logicalHeight;
    Owned<wl_surface> m_surface;
    Owned<xdg_surface> m_shellSurface;
    Owned<xdg_toplevel> m_toplevel;
    Owned<zxdg_toplevel_decoration_v1> m_decoration;
    // Where the compositor draws no frame: libdecor's, which makes the shell's objects itself.
    std::unique_ptr<libdecor, DecorUnref> m_decor;
    std::unique_ptr<libdecor_frame, DecorUnref> m_frame;
    bool m_commitAcknowledgement = false;
    Owned<wp_fractional_scale_v1> m_fractionalScale;
    Owned<wp_viewport> m_viewport;
    Owned<wl_callback> m_frameCallback;
    Microseconds m_frameAskedAt = 0;
    std::optional<std::uint32_t> m_pendingConfigure;
    bool m_configured = false;
    bool m_sizeKept = false;
    int m_configuredWidth = 0;
    int m_configuredHeight = 0;
    std::optional<int> m_enteredOutputScale;
    std::optional<int> m_preferred120;
    bool m_closeRequested = false;
};

}
