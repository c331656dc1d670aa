// The sound-file reader on any bytes: it may not crash or hang, and it reads only
// a RIFF wave file, into whole frames of samples in [-1, 1].
#include "platform/QtSoundPlayer.h"

#include <QBuffer>

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    const QtSoundPlayer::Sound sound = QtSoundPlayer::decode(in);
    if (sound.samples.isEmpty())
        return 0;
    if (!bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE" || sound.rate <= 0
        || sound.channels <= 0 || sound.samples.size() % (sound.channels * sizeof(float)) != 0)
        std::abort();
    for (qsizetype at = 0; at < sound.samples.size(); at += qsizetype(sizeof(float))) {
        float x;
        std::memcpy(&x, sound.samples.constData() + at, sizeof x);
        if (!(x >= -1 && x <= 1))
            std::abort();
    }
    return 0;
}
