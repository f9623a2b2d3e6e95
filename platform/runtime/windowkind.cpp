#include "platform/runtime/windowkind.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {

namespace {

xcb_atom_t atom(xcb_connection_t *connection, const char *name) {
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return result;
}

// The window manager reads _NET_WM_STATE when the window is mapped and drops it when the window
// is withdrawn, so it is set again before each showing. Qt adds its own states to it.
xcb_connection_t *x11Connection() {
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

void addSkipStates(QWidget *window) {
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    std::vector<xcb_atom_t> states;
    const auto cookie = xcb_get_property(connection, 0, id, state, XCB_ATOM_ATOM, 0, 64);
    if (xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr)) {
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        if (reply->format == 32)
            states.assign(values, values + xcb_get_property_value_length(reply) / 4);
        free(reply);
    }
    for (const char *name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const xcb_atom_t skip = atom(connection, name);
        if (std::find(states.begin(), states.end(), skip) == states.end())
            states.push_back(skip);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(states.size()), states.data());
}

class SkipStates : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override {
        // Sent before the window is mapped.
        if (event->type() == QEvent::Show)
            addSkipStates(static_cast<QWidget *>(watched));
        return false;
    }
};

} // namespace

void KeepOffTaskbar(QWidget *window) {
    window->installEventFilter(new SkipStates(window));
}

bool StackedAbove(const QWidget *upper, const QWidget *lower) {
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return true;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const auto cookie =
        xcb_get_property(connection, 0, root, atom(connection, "_NET_CLIENT_LIST_STACKING"),
                         XCB_ATOM_WINDOW, 0, 4096);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (!reply)
        return true;
    // Bottom to top.
    const auto *windows = static_cast<const xcb_window_t *>(xcb_get_property_value(reply));
    const auto *end =
        windows + (reply->format == 32 ? xcb_get_property_value_length(reply) / 4 : 0);
    const auto *up = std::find(windows, end, static_cast<xcb_window_t>(upper->winId()));
    const auto *low = std::find(windows, end, static_cast<xcb_window_t>(lower->winId()));
    const bool above = up == end || low == end || up > low;
    free(reply);
    return above;
}

} // namespace platform
