#include "platform/SystemRegistry.h"

bool SystemRegistry::keyExists(quint32, const QString&) const
{
    return false;
}

std::optional<RegistryValue> SystemRegistry::value(quint32, const QString&, const QString&) const
{
    return std::nullopt;
}
