#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// A read-only view of a hierarchical key/value store, shaped like the Windows
// registry the About box's system-information lookup was written against.
struct RegistryValue {
    quint32 type = 0;  // 1 = string, 4 = 32-bit number
    QByteArray data;   // the raw bytes, a string's terminating zero included when stored
};

class Registry {
public:
    static constexpr quint32 LocalMachine = 0x80000002;

    virtual ~Registry() = default;

    // Opening the key fails when it is missing or may not be opened.
    virtual bool keyExists(quint32 root, const QString& keyName) const = 0;
    // The value, or nothing when the key or the value is missing.
    virtual std::optional<RegistryValue> value(quint32 root, const QString& keyName,
                                               const QString& valueName) const = 0;
};
