#include "platform/SystemRegistry.h"

#include <QStandardPaths>

namespace {

const QString kMsinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kPathValue = QStringLiteral("PATH");

// Key and value names are not case-sensitive.
bool same(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

// HardInfo (and its successor) and KDE's Info Center are the closest to a
// system-information program: an overview of hardware, operating system and
// devices. CPU-X and lshw-gtk show less but are common. Monitors of processes
// and settings panels that need an argument to open on their information page
// are left out: the program is started with no arguments.
const QStringList SystemRegistry::systemInformationPrograms = {
    QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
    QStringLiteral("cpu-x"), QStringLiteral("lshw-gtk")};

SystemRegistry::SystemRegistry(QStringList programs, QStringList searchPaths)
    : programs_(std::move(programs)), searchPaths_(std::move(searchPaths))
{
}

QString SystemRegistry::findProgram() const
{
    for (const QString& name : programs_) {
        const QString path = QStandardPaths::findExecutable(name, searchPaths_);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

bool SystemRegistry::keyExists(quint32 root, const QString& keyName) const
{
    // Looked up afresh each time: a program installed meanwhile is found.
    return root == LocalMachine && same(keyName, kMsinfoKey) && !findProgram().isEmpty();
}

std::optional<RegistryValue> SystemRegistry::value(quint32 root, const QString& keyName,
                                                   const QString& valueName) const
{
    if (root != LocalMachine || !same(keyName, kMsinfoKey) || !same(valueName, kPathValue))
        return std::nullopt;
    const QString path = findProgram();
    if (path.isEmpty())
        return std::nullopt;
    // Stored as a string with its terminating zero.
    return RegistryValue{1, path.toUtf8() + '\0'};
}
