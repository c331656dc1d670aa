#pragma once

#include "platform/Registry.h"

// The values the About box looks up, answered from this system.
class SystemRegistry : public Registry {
public:
    bool keyExists(quint32 root, const QString& keyName) const override;
    std::optional<RegistryValue> value(quint32 root, const QString& keyName,
                                       const QString& valueName) const override;
};
