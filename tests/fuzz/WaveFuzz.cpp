// The wave-file check on any file: it may not crash or hang, and it passes only
// a RIFF wave file that holds its data chunk in full.
#include "platform/QtSoundPlayer.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const QString file = dir.filePath("sound.wav");
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        std::abort();
    f.close();
    if (QtSoundPlayer::isPlayableWaveFile(file)
        && (!bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE" || !bytes.contains("data")))
        std::abort();
    return 0;
}
