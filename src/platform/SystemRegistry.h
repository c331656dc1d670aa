#pragma once

#include "platform/Registry.h"

#include <QStringList>

// This system has no registry. It answers only the value that names the
// system-information program, with the first such program found on the PATH;
// every other key and value is missing.
class SystemRegistry : public Registry {
public:
    // Desktop programs that show an overview of the computer's hardware and
    // system, in the order they are looked for.
    static const QStringList systemInformationPrograms;

    // Looks the programs up in the folders of the PATH, or in searchPaths when given.
    explicit SystemRegistry(QStringList programs = systemInformationPrograms,
                            QStringList searchPaths = {});

    bool keyExists(quint32 root, const QString& keyName) const override;
    std::optional<RegistryValue> value(quint32 root, const QString& keyName,
                                       const QString& valueName) const override;

private:
    QString findProgram() const;

    QStringList programs_;
    QStringList searchPaths_;
};
