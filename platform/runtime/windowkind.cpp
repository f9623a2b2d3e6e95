#include "platform/runtime/windowkind.h"

#include <QAbstractNativeEventFilter>
#include <QEvent>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
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

// A 32-bit list property of a window, empty when it is not set.
template <class T>
std::vector<T> listProperty(xcb_connection_t *connection, xcb_window_t window, const char *name,
                            xcb_atom_t type) {
    std::vector<T> values;
    const auto cookie =
        xcb_get_property(connection, 0, window, atom(connection, name), type, 0, 4096);
    if (xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr)) {
        const auto *data = static_cast<const T *>(xcb_get_property_value(reply));
        if (reply->format == 32)
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        free(reply);
    }
    return values;
}

xcb_window_t root(xcb_connection_t *connection) {
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

xcb_connection_t *x11Connection() {
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The window manager reads _NET_WM_STATE when the window is mapped and drops it when the window
// is withdrawn, so it is set again before each showing. Qt adds its own states to it.
void addSkipStates(QWidget *window) {
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    auto states = listProperty<xcb_atom_t>(connection, id, "_NET_WM_STATE", XCB_ATOM_ATOM);
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

// A message to the window manager about one of the program's windows.
void tellWindowManager(xcb_connection_t *connection, xcb_window_t window, const char *type,
                       std::initializer_list<uint32_t> data = {}) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(connection, type);
    std::copy(data.begin(), data.end(), message.data.data32);
    xcb_send_event(connection, 0, root(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
}

bool focusIsOurs(xcb_connection_t *connection) {
    xcb_get_input_focus_reply_t *reply =
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    const xcb_window_t focus = reply ? reply->focus : xcb_window_t(XCB_NONE);
    free(reply);
    const auto windows = QGuiApplication::topLevelWindows();
    return std::any_of(windows.begin(), windows.end(),
                       [focus](const QWindow *w) { return w->handle() && w->winId() == focus; });
}

// The window manager marks a window withdrawn (WM_STATE) once it has dealt with its going,
// focus included.
class Withdrawals : public QAbstractNativeEventFilter {
  public:
    QHash<xcb_window_t, QPointer<QWidget>> next;

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override {
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if (next.isEmpty() || type != "xcb_generic_event_t" ||
            (event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto *change = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        xcb_connection_t *connection = x11Connection();
        if (!next.contains(change->window) || change->atom != atom(connection, "WM_STATE"))
            return false;
        const QPointer<QWidget> window = next.take(change->window);
        if (window && window->isVisible() && !focusIsOurs(connection))
            tellWindowManager(connection, static_cast<xcb_window_t>(window->winId()),
                              "_NET_ACTIVE_WINDOW", {1, change->time, XCB_NONE}); // 1: application
        return false;
    }
};

} // namespace

namespace {
bool chose = false;
}

void ChoosePlatform() {
    chose =
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY");
    if (chose)
        qputenv("QT_QPA_PLATFORM", "xcb");
}

void PlatformChosen() {
    if (chose)
        qunsetenv("QT_QPA_PLATFORM");
}

void KeepOffTaskbar(QWidget *window) {
    window->installEventFilter(new SkipStates(window));
}

bool StackedAbove(const QWidget *upper, const QWidget *lower) {
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return true;
    // Bottom to top; a window the list lacks counts as covered.
    const auto stacking = listProperty<xcb_window_t>(connection, root(connection),
                                                     "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW);
    const auto up = std::find(stacking.begin(), stacking.end(), upper->winId());
    const auto low = std::find(stacking.begin(), stacking.end(), lower->winId());
    return up == stacking.end() || low == stacking.end() || up > low;
}

QMargins FrameExtents(QWidget *window) {
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return {};
    const auto supported =
        listProperty<xcb_atom_t>(connection, root(connection), "_NET_SUPPORTED", XCB_ATOM_ATOM);
    const xcb_atom_t request = atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    if (std::find(supported.begin(), supported.end(), request) == supported.end())
        return {};
    const auto id = static_cast<xcb_window_t>(window->winId());
    tellWindowManager(connection, id, "_NET_REQUEST_FRAME_EXTENTS");
    // The window manager answers at once; one that is busy costs a fifth of a second at most.
    for (int tries = 0; tries < 40; ++tries) {
        const auto extents =
            listProperty<uint32_t>(connection, id, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
        if (extents.size() == 4) { // left, right, top, bottom
            const qreal ratio = window->devicePixelRatioF();
            return QMargins(qRound(extents[0] / ratio), qRound(extents[2] / ratio),
                            qRound(extents[1] / ratio), qRound(extents[3] / ratio));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {};
}

void ReactivateOnceWithdrawn(QWidget *hidden, QWidget *next) {
    if (!x11Connection())
        return;
    static auto *withdrawals = [] {
        auto *filter = new Withdrawals;
        qApp->installNativeEventFilter(filter);
        return filter;
    }();
    withdrawals->next.insert(static_cast<xcb_window_t>(hidden->winId()), next);
}

} // namespace platform
