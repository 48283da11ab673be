#include "editor/CloseWithBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QWidget>

#include "dialogs/Unitnewver.h"

#ifdef _WIN32
#include <windows.h>
#elif defined(QUORVEL_HAVE_XCB)
#include <xcb/xcb.h>
#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#endif

namespace {

// The modal windows open now, the innermost (last opened) first.
QList<QWidget*> openModals() {
    QList<QWidget*> modals;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->isModal()) modals << window;
    if (QWidget* innermost = QApplication::activeModalWidget()) {
        modals.removeAll(innermost);
        modals.prepend(innermost);
    }
    return modals;
}

#if !defined(_WIN32) && defined(QUORVEL_HAVE_XCB)
std::uint32_t atomNamed(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 1, std::uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply) return 0;
    const std::uint32_t atom = reply->atom;
    std::free(reply);
    return atom;
}
#endif

}  // namespace

TCloseWithBoxes::TCloseWithBoxes(QWidget& main) : main_(&main) {
    qApp->installNativeEventFilter(this);
}

TCloseWithBoxes::~TCloseWithBoxes() {
    if (qApp) qApp->removeNativeEventFilter(this);
}

bool TCloseWithBoxes::Dismissable(const QWidget* modal) {
    if (qobject_cast<const TNewVerForm*>(modal)) return true;
    const auto* box = qobject_cast<const QMessageBox*>(modal);
    return box && box->standardButtons() == QMessageBox::Ok;
}

bool TCloseWithBoxes::CloseRequested() {
    const QList<QWidget*> modals = openModals();
    if (modals.isEmpty() || !main_) return false;
    for (const QWidget* modal : modals)
        if (!Dismissable(modal)) return false;
    for (QWidget* modal : modals)
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    // The boxes' own loops end first; the close then runs as a click on the close box would.
    QMetaObject::invokeMethod(
        main_,
        [main = main_] {
            if (main) main->close();
        },
        Qt::QueuedConnection);
    return true;
}

bool TCloseWithBoxes::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    // Without a box open Qt closes the window itself.
    if (!QApplication::activeModalWidget() || !isCloseOfMain(eventType, message)) return false;
    return CloseRequested();
}

bool TCloseWithBoxes::isCloseOfMain(const QByteArray& eventType, void* message) {
    if (!main_ || !main_->windowHandle()) return false;
#ifdef _WIN32
    if (eventType != "windows_generic_MSG") return false;
    const auto* msg = static_cast<const MSG*>(message);
    return msg->message == WM_CLOSE && msg->hwnd == reinterpret_cast<HWND>(main_->winId());
#elif defined(QUORVEL_HAVE_XCB)
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->format != 32 || client->window != xcb_window_t(main_->winId())) return false;
    if (!deleteWindowAtom_) {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (!x11) return false;
        protocolsAtom_ = atomNamed(x11->connection(), "WM_PROTOCOLS");
        deleteWindowAtom_ = atomNamed(x11->connection(), "WM_DELETE_WINDOW");
    }
    return deleteWindowAtom_ && client->type == protocolsAtom_ &&
           client->data.data32[0] == deleteWindowAtom_;
#else
    (void)eventType;
    (void)message;
    return false;
#endif
}
