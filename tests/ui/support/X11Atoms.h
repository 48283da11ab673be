#pragma once

// The X connection Qt holds and atoms by name, for tests that speak to windows as a desktop does.
#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

inline xcb_connection_t* connection() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

inline xcb_atom_t atomNamed(const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection(), xcb_intern_atom(connection(), 0, std::uint16_t(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}
