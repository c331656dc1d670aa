#include "about/SysInfo.h"

#include "platform/Dialogs.h"
#include "platform/Launcher.h"
#include "platform/ProgramInfo.h"
#include "platform/Registry.h"

namespace sysinfo {
namespace {

// Reads "&h" followed by hexadecimal digits the way BASIC reads a number written
// in hexadecimal: up to 16 bits it is a signed 16-bit number, up to 32 bits a
// signed 32-bit one, larger is an overflow. Any other text is kept as it is.
QString formatGeneral(const QString& text)
{
    const QString digits = text.mid(2);
    if (!text.startsWith(QLatin1String("&h")) || digits.isEmpty())
        return text;
    quint64 value = 0;
    for (const QChar c : digits) {
        const int digit = QStringLiteral("0123456789ABCDEF").indexOf(c.toUpper());
        if (digit < 0)
            return text;
        if (value > 0xFFFFFFFFu)
            throw RunTimeError("Overflow");
        value = value * 16 + quint64(digit);
    }
    if (value > 0xFFFFFFFFu)
        throw RunTimeError("Overflow");
    if (value <= 0xFFFFu)
        return QString::number(qint16(quint16(value)));
    return QString::number(qint32(quint32(value)));
}

// A number's text: the bytes from the last to the first, each as its code in
// hexadecimal without leading zeros, added to what the variable held.
QString numberText(const QByteArray& bytes, const QString& held)
{
    QString hex = held;
    for (auto i = bytes.size(); i-- > 0;)
        hex += QString::number(quint8(bytes[i]), 16).toUpper();
    return formatGeneral(QStringLiteral("&h") + hex);
}

} // namespace

bool GetKeyValue(const Registry& registry, quint32 KeyRoot, const QString& KeyName,
                 const QString& SubKeyRef, QString& KeyVal)
{
    // The key is opened and closed within this one call.
    const auto value = registry.keyExists(KeyRoot, KeyName)
                           ? registry.value(KeyRoot, KeyName, SubKeyRef)
                           : std::nullopt;
    if (!value || value->data.size() > valueBufferSize) {
        KeyVal.clear();
        return false;
    }

    // A string may be stored with its terminating zero or without it.
    const QByteArray& data = value->data;
    const auto n = data.size();
    if (n == 0)
        throw RunTimeError("A value of zero length");
    const QByteArray text = data.at(n - 1) == '\0' ? data.left(n - 1) : data;

    switch (value->type) {
    case REG_SZ:
        KeyVal = QString::fromUtf8(text);
        break;
    case REG_DWORD:
        KeyVal = numberText(text, KeyVal);
        break;
    default:
        break;
    }
    return true;
}

void StartSysInfo(const Registry& registry, Launcher& launcher, Dialogs& dialogs, QWidget* parent)
{
    const auto showUnavailable = [&] {
        dialogs.messageBox(parent, unavailable, program::title);
    };
    try {
        QString path;
        if (!GetKeyValue(registry, Registry::LocalMachine, msinfoKey, msinfoValue, path)) {
            if (!GetKeyValue(registry, Registry::LocalMachine, locationKey, locationValue, path) ||
                !launcher.fileExists(path + programFile))
                return showUnavailable();
            path += programFile;
        }
        // The whole value names the program: it is started directly, never
        // handed to a shell, so nothing in it is read as a command.
        if (!launcher.start(path))
            showUnavailable();
    } catch (const RunTimeError&) {
        showUnavailable();
    }
}

} // namespace sysinfo
