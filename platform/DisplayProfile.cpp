// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DisplayProfile.h"
#include <cstdlib>
#include <memory>
#include <QGuiApplication>
#include <xcb/xcb.h>

namespace {

// The largest profile read, as the picture layer's limit for embedded ones.
constexpr uint32_t kMaxProfileBytes = 4 << 20;

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

} // namespace

QByteArray ReadDisplayProfile()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return {};
    static constexpr char kName[] = "_ICC_PROFILE";
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof kName - 1, kName), nullptr));
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!atom || atom->atom == XCB_ATOM_NONE || !screen)
        return {};
    const std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, screen->root, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxProfileBytes / 4),
        nullptr));
    // Larger than asked (bytes_after) is refused whole rather than read cut.
    if (!reply || reply->format != 8 || reply->bytes_after > 0)
        return {};
    const int length = xcb_get_property_value_length(reply.get());
    if (length <= 0)
        return {};
    return {static_cast<const char*>(xcb_get_property_value(reply.get())), length};
}
