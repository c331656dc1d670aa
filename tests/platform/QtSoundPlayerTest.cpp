#include "platform/QtSoundPlayer.h"

#include <QAudioSink>
#include <QBuffer>
#include <QFile>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

QByteArray chunk(const char* id, const QByteArray& body)
{
    const quint32 size = qToLittleEndian(quint32(body.size()));
    return id + QByteArray(reinterpret_cast<const char*>(&size), 4) + body
           + QByteArray(body.size() % 2, '\0');
}

// A wave file of this format chunk, in hexadecimal (tag, channels, rate, bytes a
// second and a frame, bits), and these samples.
QByteArray wave(const char* format, const QByteArray& data)
{
    return chunk("RIFF", "WAVE" + chunk("fmt ", QByteArray::fromHex(format)) + chunk("data", data));
}

// 16-bit mono PCM at 22050 Hz, 0.1 s of silence.
const QByteArray kGood = wave("0100 0100 22560000 44ac0000 0200 1000", QByteArray(4410, '\0'));

QString write(const QString& name, const QByteArray& bytes)
{
    static const QTemporaryDir dir;
    QFile out(dir.filePath(name));
    EXPECT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
    return out.fileName();
}

// The end-to-end sound test hears the rest: each form of wave file at its second,
// the alert for a missing file, and the volume of 50 %.
TEST(QtSoundPlayerTest, EachSoundGoesToTheChosenOutputAndAFaultyFileGivesTheAlert)
{
    const QByteArray sink = qgetenv("SINK"); // the session's only device
    ASSERT_FALSE(sink.isEmpty()) << "not run in the end-to-end session";
    const QString good = write("s.wav", kGood), bad = write("bad.wav", "RIFF, but no wave");
    QtSoundPlayer player;
    // What plays now, through which device and how loud (loudness follows the
    // logarithm of the gain); and that the sound server takes it.
    const auto playing = [&](const QString& file, bool alert, const QByteArray& device,
                             float gain) {
        const QtSoundPlayer::Playing& now = player.playing();
        EXPECT_TRUE(now.file == file && now.alert == alert && now.device == device)
            << file.toStdString();
        ASSERT_TRUE(now.sink);
        EXPECT_NEAR(now.sink->volume(), gain, 1e-4);
        EXPECT_TRUE(QTest::qWaitFor([&] { return now.sink->processedUSecs() > 0; }, 5000));
    };
    player.setOutput({sink, 1});
    player.play(bad);
    playing(bad, true, sink, 0.0022f);
    // A device unplugged: the default output, for this sound only.
    player.playThrough(good, {"usb.headset", 100});
    playing(good, false, QMediaDevices::defaultAudioOutput().id(), 1.0f);
    player.play(good);
    playing(good, false, sink, 0.0022f);
}

// Only a wave file with sound in it is read, its samples held in [-1, 1]; the
// newest sound wins, the one it replaces goes, and a file changed since it was
// read is read again.
TEST(QtSoundPlayerTest, OnlyWaveFilesWithSoundAreReadAndTheNewestWins)
{
    const auto decode = [](QByteArray bytes) {
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        const QtSoundPlayer::Sound sound = QtSoundPlayer::decode(in);
        std::vector<float> samples(size_t(sound.samples.size()) / sizeof(float));
        if (!samples.empty())
            std::memcpy(samples.data(), sound.samples.constData(), sound.samples.size());
        return std::tuple(sound.rate, sound.channels, samples);
    };
    const float loud[] = {2, NAN, -3, 0.25f};
    EXPECT_EQ(decode(wave("0300 0200 44ac0000 20620500 0800 2000",
                          QByteArray(reinterpret_cast<const char*>(loud), sizeof loud))),
              std::tuple(44100, 2, std::vector<float>{1, 0, -1, 0.25f}));
    // Sun audio, which libsndfile reads and Windows does not; no samples.
    EXPECT_EQ(decode(QByteArray::fromHex("2e736e64 00000018 ffffffff 00000003 00005622 00000001")
                     + QByteArray(100, 1)),
              std::tuple(0, 0, std::vector<float>{}));
    EXPECT_EQ(decode(wave("0100 0100 22560000 44ac0000 0200 1000", {})),
              std::tuple(0, 0, std::vector<float>{}));

    QtSoundPlayer player;
    const QString first = write("first.wav", kGood), second = write("second.wav", kGood);
    player.play(first);
    player.play(second);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(player.playing().file == second && !player.playing().alert);
    EXPECT_LE(player.findChildren<QAudioSink*>().size(), 1);
    write("second.wav", "RIFF, but no wave");
    player.play(second);
    EXPECT_TRUE(player.playing().alert);
}

} // namespace
