// What a top-level window offers the window manager on X11: its frame's functions and buttons.
//
// Qt writes the window's Motif hints from its window flags, and always offers resizing there.
// A window without a thick frame has one size only; its size hints already say so, but a
// window manager reads the Motif hints for the functions it offers and the buttons it draws, so
// the layer writes them itself: moving, closing (with a system menu), minimizing (with a
// minimize box), and resizing and maximizing only with a thick frame. Other window systems
// take what the window flags say.

#include "platform/ui/WndImpl.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace uiimpl {

namespace {

// The Motif hints: flags, functions, decorations, input mode, status.
constexpr std::uint32_t kHasFunctions = 1;
constexpr std::uint32_t kHasDecorations = 2;
constexpr std::uint32_t kFunctionResize = 2;
constexpr std::uint32_t kFunctionMove = 4;
constexpr std::uint32_t kFunctionMinimize = 8;
constexpr std::uint32_t kFunctionMaximize = 16;
constexpr std::uint32_t kFunctionClose = 32;
constexpr std::uint32_t kDecorBorder = 2;
constexpr std::uint32_t kDecorResizeHandle = 4;
constexpr std::uint32_t kDecorTitle = 8;
constexpr std::uint32_t kDecorMenu = 16;
constexpr std::uint32_t kDecorMinimize = 32;
constexpr std::uint32_t kDecorMaximize = 64;

xcb_atom_t MotifHintsAtom(xcb_connection_t* connection)
{
    static xcb_atom_t atom = XCB_ATOM_NONE;
    if (atom != XCB_ATOM_NONE) return atom;
    static const char name[] = "_MOTIF_WM_HINTS";
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, sizeof name - 1, name);
    if (xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr)) {
        atom = reply->atom;
        std::free(reply);
    }
    return atom;
}

}  // namespace

void TellFrameFunctions(const Record& r)
{
    QWidget* w = r.widget;
    if (w == nullptr || !w->isWindow() || (r.style & WS_CHILD) != 0) return;
    if ((r.style & WS_CAPTION) != WS_CAPTION || w->internalWinId() == 0) return;
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app != nullptr ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) return;
    xcb_connection_t* connection = x11->connection();
    const xcb_atom_t atom = MotifHintsAtom(connection);
    if (atom == XCB_ATOM_NONE) return;

    std::uint32_t functions = kFunctionMove;
    std::uint32_t decorations = kDecorBorder | kDecorTitle;
    if ((r.style & WS_SYSMENU) != 0) {
        functions |= kFunctionClose;
        decorations |= kDecorMenu;
    }
    if ((r.style & WS_MINIMIZEBOX) != 0) {
        functions |= kFunctionMinimize;
        decorations |= kDecorMinimize;
    }
    if ((r.style & WS_THICKFRAME) != 0) {
        functions |= kFunctionResize;
        decorations |= kDecorResizeHandle;
        if ((r.style & WS_MAXIMIZEBOX) != 0) {
            functions |= kFunctionMaximize;
            decorations |= kDecorMaximize;
        }
    }
    const std::array<std::uint32_t, 5> hints{kHasFunctions | kHasDecorations, functions, decorations, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(w->internalWinId()), atom, atom, 32,
                        static_cast<std::uint32_t>(hints.size()), hints.data());
    xcb_flush(connection);
}

}  // namespace uiimpl
