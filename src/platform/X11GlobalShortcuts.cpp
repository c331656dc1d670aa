#include "platform/X11GlobalShortcuts.h"

#include <QGuiApplication>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace {

constexpr uint16_t shortcutModifiers = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
// A grab matches the modifiers exactly, so each key is grabbed again with Caps Lock
// and Num Lock (Mod2 on every common layout) on.
constexpr uint16_t lockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                     XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

} // namespace

std::unique_ptr<X11GlobalShortcuts> X11GlobalShortcuts::create(QObject* parent)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display() || !x11->connection())
        return nullptr;
    return std::unique_ptr<X11GlobalShortcuts>(
        new X11GlobalShortcuts(x11->display(), x11->connection(), parent));
}

X11GlobalShortcuts::X11GlobalShortcuts(Display* display, xcb_connection_t* connection,
                                       QObject* parent)
    : GlobalShortcuts(parent), display_(display), connection_(connection),
      root_(DefaultRootWindow(display))
{
}

X11GlobalShortcuts::~X11GlobalShortcuts() { disable(); }

void X11GlobalShortcuts::enable()
{
    if (!grabbed_.empty()) {
        emit enabled({});
        return;
    }
    // Xlib keeps the layout it first read; the user may have changed it since.
    XMappingEvent changed{};
    changed.type = MappingNotify;
    changed.display = display_;
    changed.request = MappingKeyboard;
    XDisplayKeycodes(display_, &changed.first_keycode, &changed.count);
    changed.count -= changed.first_keycode - 1;
    XRefreshKeyboardMapping(&changed);
    QStringList held, missing;
    for (const ShortcutBinding& binding : shortcutBindings) {
        QString name = QString::fromLatin1(binding.key);
        name = QStringLiteral("Ctrl+Alt+") + name[0].toUpper() + name.mid(1);
        const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(binding.key));
        if (code == 0) {
            missing << name; // the keyboard layout has no such key
            continue;
        }
        // Not owner events: the press comes on the root window even when one of
        // ours has the focus. Checked: a key another client holds answers BadAccess.
        std::vector<xcb_void_cookie_t> cookies;
        for (uint16_t locks : lockVariants)
            cookies.push_back(xcb_grab_key_checked(connection_, 0, root_, shortcutModifiers | locks,
                                                   code, XCB_GRAB_MODE_ASYNC,
                                                   XCB_GRAB_MODE_ASYNC));
        bool refused = false;
        for (xcb_void_cookie_t cookie : cookies)
            if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
                refused = true;
                free(error);
            }
        if (!refused) {
            grabbed_.emplace_back(code, binding.action);
            continue;
        }
        for (uint16_t locks : lockVariants) // those that were taken before the refusal
            xcb_ungrab_key(connection_, code, root_, shortcutModifiers | locks);
        held << name;
    }
    QStringList why;
    if (!held.isEmpty())
        why << tr("Another program holds %1").arg(held.join(QStringLiteral(", ")));
    if (!missing.isEmpty())
        why << tr("the keyboard layout has no key for %1").arg(missing.join(QStringLiteral(", ")));
    QString note = why.join(QStringLiteral("; "));
    if (!note.isEmpty())
        note[0] = note[0].toUpper();
    if (grabbed_.empty()) {
        emit failed(note + QLatin1Char('.'));
        return;
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
    emit enabled(note.isEmpty() ? note : note + tr("; the other shortcuts work."));
}

void X11GlobalShortcuts::disable()
{
    if (grabbed_.empty())
        return;
    QCoreApplication::instance()->removeNativeEventFilter(this);
    ungrab();
}

void X11GlobalShortcuts::ungrab()
{
    for (const auto& [code, action] : grabbed_)
        for (uint16_t locks : lockVariants)
            xcb_ungrab_key(connection_, code, root_, shortcutModifiers | locks);
    xcb_flush(connection_);
    grabbed_.clear();
    down_.clear();
    released_.clear();
}

bool X11GlobalShortcuts::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const uint8_t type = static_cast<xcb_generic_event_t*>(message)->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = static_cast<xcb_key_press_event_t*>(message); // a release looks the same
    if (key->event != root_)
        return false;
    for (const auto& [code, action] : grabbed_) {
        if (key->detail != code)
            continue;
        // A key held down repeats: as a release and a press of the same moment,
        // or (where a client asked for that) as presses alone. One press is one action.
        if (type == XCB_KEY_RELEASE) {
            down_.erase(code);
            released_[code] = key->time;
        } else if (down_.insert(code).second &&
                   !(released_.count(code) && released_[code] == key->time)) {
            emit activated(action);
        }
        return true;
    }
    return false;
}
