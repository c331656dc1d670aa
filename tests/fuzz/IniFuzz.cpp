// The INI reader and writer on any file: neither may crash, a snapshot must
// answer as a read does, and a value written must read back as the profile
// functions read it (without the blanks around it and one pair of enclosing
// quotes, cut to 749 characters), or the file stay as it was.
#include "settings/Ini.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const QString file = dir.filePath("times.ini");
    static const QRegularExpression blanks("^[ \t]+|[ \t]+\\z"),
        quoted(R"(^(["'])(.*)\1\z)", QRegularExpression::DotMatchesEverythingOption);
    FuzzedDataProvider in(data, size);
    const QString section = QString::fromStdString(in.ConsumeRandomLengthString(40));
    const QString key = QString::fromStdString(in.ConsumeRandomLengthString(40));
    const QString value = QString::fromStdString(in.ConsumeRandomLengthString(1000));
    const QByteArray before = QByteArray::fromStdString(in.ConsumeRemainingBytesAsString());
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(before) != before.size())
        std::abort();
    f.close();

    // A snapshot that read for another value first, past this one or short of it,
    // answers as a read of its own does.
    const IniSnapshot ini(file);
    ini.value(key, section);
    if (ini.value(section, key) != ReadIni(section, key, file))
        std::abort();
    const QString want = QString(value).remove(blanks).replace(quoted, "\\2").left(749);
    if (WriteIni(section, key, value, file) ? ReadIni(section, key, file) != want
                                            : !f.open(QIODevice::ReadOnly) || f.readAll() != before)
        std::abort();
    return 0;
}
