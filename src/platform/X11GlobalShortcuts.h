#pragma once

#include "platform/GlobalShortcuts.h"

#include <QAbstractNativeEventFilter>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

struct _XDisplay;
struct xcb_connection_t;

// Global shortcuts as key grabs on the X server's root window. On X11 they work
// whichever window has the focus; under XWayland only while an X11 window has it.
class X11GlobalShortcuts : public GlobalShortcuts, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Nothing when the program does not run on an X server.
    static std::unique_ptr<X11GlobalShortcuts> create(QObject* parent = nullptr);
    ~X11GlobalShortcuts() override;

    // Answers at once: enabled() with the keys that are free, failed() when another
    // program holds them all.
    void enable() override;
    void disable() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    X11GlobalShortcuts(_XDisplay* display, xcb_connection_t* connection, QObject* parent);
    void ungrab();

    _XDisplay* display_;
    xcb_connection_t* connection_;
    unsigned root_;
    std::vector<std::pair<unsigned char, ShortcutAction>> grabbed_; // key code, action
    std::set<unsigned char> down_;                  // grabbed keys held down
    std::map<unsigned char, unsigned> released_; // key code, X time of its last release
};
