#pragma once

#include "platform/GlobalShortcuts.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

// Global shortcuts bound through the desktop's org.freedesktop.portal.GlobalShortcuts:
// a session is created, the shortcuts are bound to it (the desktop may ask the user
// and choose other keys), and the portal reports each activation.
class PortalGlobalShortcuts : public GlobalShortcuts {
    Q_OBJECT
public:
    explicit PortalGlobalShortcuts(const QDBusConnection& bus, QObject* parent = nullptr);
    ~PortalGlobalShortcuts() override;

    void enable() override;
    void disable() override;

signals:
    // The desktop has no global-shortcuts portal (failed() means it has one and
    // it said no).
    void unavailable(const QString& why);

private slots:
    void onResponse(uint response, const QVariantMap& results);
    void onActivated(const QDBusMessage& signal);

private:
    enum class Step { Off, Asking, Creating, Binding, On };

    // Calls a portal method that answers through a Request object: the answer
    // comes to onResponse().
    void request(const QString& method, QVariantList arguments, QVariantMap options);
    void listen(const QString& requestPath, bool on);
    void fail(const QString& why);

    QDBusConnection bus_;
    Step step_ = Step::Off;
    QString request_; // the Request whose Response is awaited
    QString session_;
    int serial_ = 0;
    bool subscribed_ = false; // to the Activated signal
};
