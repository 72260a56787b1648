#include "framework/graphics/ClipboardWatch.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QPointer>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#ifdef STAMPORA_HAVE_XCB
#include <poll.h>
#include <xcb/xcb.h>
#endif

namespace fw {

namespace {

QClipboard* System() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr; }

// Reading the clipboard can wait on another program only on X11, and only while
// another client owns it; our own data and other platforms' offers are at hand.
bool OwnedElsewhereOnX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb") && System() && !System()->ownsClipboard();
}

// Set when the program is quitting, so that no question keeps it waiting.
std::atomic<bool> quitting{false};

#ifdef STAMPORA_HAVE_XCB
xcb_atom_t Intern(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// Whether one of the targets the owner wrote to the property is a picture type
// that can be read.
bool TargetsOfferPicture(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
    if (!reply) return false;
    std::vector<xcb_get_atom_name_cookie_t> cookies;
    if (reply->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / 4;
        for (int i = 0; i < count; ++i) cookies.push_back(xcb_get_atom_name(c, atoms[i]));
    }
    std::free(reply);
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    bool offered = false;
    for (const auto& cookie : cookies) {
        xcb_get_atom_name_reply_t* name = xcb_get_atom_name_reply(c, cookie, nullptr);
        if (!name) continue;
        offered = offered || readable.contains(QByteArray(xcb_get_atom_name_name(name), xcb_get_atom_name_name_length(name)));
        std::free(name);
    }
    return offered;
}

// Asks the clipboard's owner for its targets: whether it offers a picture, or
// nothing when it has not answered within the time.
std::optional<bool> AskOwner(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    struct Disconnect {
        xcb_connection_t* c;
        ~Disconnect() { xcb_disconnect(c); }
    } disconnect{c};
    if (xcb_connection_has_error(c)) return std::nullopt;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen) return std::nullopt;
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t clipboard = Intern(c, "CLIPBOARD");
    const xcb_atom_t targets = Intern(c, "TARGETS");
    const xcb_atom_t property = Intern(c, "STAMPORA_CLIPBOARD_TARGETS");
    if (!clipboard || !targets || !property) return std::nullopt;
    xcb_convert_selection(c, window, clipboard, targets, property, XCB_CURRENT_TIME);
    xcb_flush(c);
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const bool notified = (event->response_type & 0x7F) == XCB_SELECTION_NOTIFY;
            const xcb_atom_t written = notified ? reinterpret_cast<xcb_selection_notify_event_t*>(event)->property : 0;
            std::free(event);
            // No property: no owner, or one that refuses the question; either way, no picture.
            if (notified) return written != XCB_ATOM_NONE && TargetsOfferPicture(c, window, property);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (xcb_connection_has_error(c) || quitting || left.count() <= 0) return std::nullopt;
        // In short slices, so that quitting is noticed soon.
        pollfd ready{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&ready, 1, int(std::min<int64_t>(left.count(), 50)));
    }
}
#else
std::optional<bool> AskOwner(int) { return std::nullopt; }
#endif

bool available = false;
uint64_t generation = 0;   // of the clipboard's contents, so that a late answer about older ones is dropped
QPointer<QClipboard> watched;

void Learn() {
    const uint64_t asked = ++generation;
    if (!OwnedElsewhereOnX11()) {
        const QMimeData* data = System() ? System()->mimeData() : nullptr;
        available = data && data->hasImage();
        return;
    }
    available = false;
    QThreadPool::globalInstance()->start([asked] {
        const bool offered = AskOwner(ClipboardWatch::kOwnerWaitMs).value_or(false);
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [asked, offered] {
                if (asked == generation) available = offered;
            }, Qt::QueuedConnection);
    });
}

void Watch() {
    QClipboard* clipboard = System();
    if (!clipboard || watched == clipboard) return;
    watched = clipboard;
    quitting = false;
    QObject::connect(clipboard, &QClipboard::changed, clipboard, [](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard) Learn();
    });
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { quitting = true; });
    Learn();
}

} // namespace

bool ClipboardWatch::PictureAvailable() {
    Watch();
    return available;
}

bool ClipboardWatch::OwnerAnswers() {
    if (!OwnedElsewhereOnX11()) return true;
    return AskOwner(kOwnerWaitMs).value_or(false);
}

} // namespace fw
