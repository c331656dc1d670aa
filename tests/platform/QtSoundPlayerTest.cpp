#include "platform/QtSoundPlayer.h"

#include <QAudioDevice>
#include <QFile>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QByteArray chunk(const char* id, const QByteArray& body)
{
    const quint32 size = qToLittleEndian(quint32(body.size()));
    return id + QByteArray(reinterpret_cast<const char*>(&size), 4) + body + QByteArray(body.size() % 2, '\0');
}

QByteArray riff(const QByteArray& chunks)
{
    return chunk("RIFF", "WAVE" + chunks);
}

// Format chunks: 16-bit mono PCM at 22050 Hz; and 4-bit mono MS ADPCM, which
// Qt's decoder does not know.
const QByteArray kPcm = chunk("fmt ", QByteArray::fromHex("0100 0100 22560000 44ac0000 0200 1000"));
const QByteArray kAdpcm = chunk("fmt ", QByteArray::fromHex("0200 0100 22560000 112b0000 0001 0400"));
const QByteArray kGood = riff(kPcm + chunk("data", QByteArray(4410, '\0'))); // 0.1 s of silence
const QByteArray kUndecodable = riff(kAdpcm + chunk("data", QByteArray(512, '\x11')));

QString write(const QString& name, const QByteArray& bytes)
{
    static const QTemporaryDir dir;
    QFile out(dir.filePath(name));
    EXPECT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
    return out.fileName();
}

// What the player plays now, once the decoder has had its word (it works in the
// background). A failure brings on the alert at once, whose word is then waited for.
QSoundEffect* settled(const QtSoundPlayer& player)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.current()->status() != QSoundEffect::Loading; }, 5000));
    EXPECT_EQ(player.current()->status(), QSoundEffect::Ready);
    return player.current();
}

// A missing file gives the alert too, as the end-to-end sound test hears.
TEST(QtSoundPlayerTest, EachSoundGoesToTheChosenOutputAndAFaultyFileGivesTheAlert)
{
    const QString good = write("s.wav", kGood);
    const QByteArray sink = qgetenv("SINK"); // the session's only device
    ASSERT_FALSE(sink.isEmpty()) << "not run in the end-to-end session";
    // Loudness follows the logarithm of the gain.
    const struct { const char* what; QString file; QByteArray device; int volume; float gain; } cases[] = {
        {"whole", good, "usb.headset", 1, 0.0022f},
        {"data cut short", write("cut.wav", kGood.left(1000)), sink, 0, 0.0f},
        {"undecodable", write("adpcm.wav", kUndecodable), "usb.headset", 50, 0.1505f},
    };
    QtSoundPlayer player;
    for (const auto& c : cases) {
        player.setOutput({c.device, c.volume});
        player.play(c.file);
        QSoundEffect* effect = settled(player);
        EXPECT_NEAR(effect->volume(), c.gain, 1e-4) << c.what;
        // The null device stands for the system's default.
        EXPECT_EQ(effect->audioDevice().id(), c.device == sink ? sink : QByteArray());
        EXPECT_EQ(effect->source(), c.file == good ? QUrl::fromLocalFile(good) : QtSoundPlayer::alertSource());
    }
    player.playThrough(good, {{}, 100}); // for this sound only
    EXPECT_EQ(settled(player)->volume(), 1.0f);
    player.play(good);
    EXPECT_NEAR(settled(player)->volume(), 0.1505f, 1e-4);
}

// Only wave files the decoder is sure to take reach it (it waits for ever on any
// other, and so does every later sound of that file); the newest sound wins, and
// the replaced ones go.
TEST(QtSoundPlayerTest, OnlyPlayableWaveFilesReachTheDecoderAndTheNewestWins)
{
    const auto format = [](const char* hex) { return chunk("fmt ", QByteArray::fromHex(hex)); };
    const QByteArray pcm8Stereo = format("0100 0200 22560000 44ac0000 0200 0800");
    const QByteArray pcm64 = format("0100 0100 22560000 10b10200 0800 4000");
    const QByteArray float32 = format("0300 0100 22560000 88580100 0400 2000");
    const struct { const char* what; QByteArray bytes; bool playable; } cases[] = {
        {"whole", kGood, true},
        {"odd-sized chunk first", riff(chunk("LIST", "odd") + kPcm + chunk("data", "ab")), true},
        {"8-bit stereo", riff(pcm8Stereo + chunk("data", "abcd")), true},
        {"empty file", QByteArray(), false},
        {"not RIFF", "RIFX" + kGood.mid(4), false},
        {"cut before the data chunk", riff(kPcm), false},
        {"format after data", riff(chunk("data", QByteArray(100, '\0')) + kPcm), false},
        {"ADPCM", kUndecodable, false},
        {"64-bit PCM", riff(pcm64 + chunk("data", QByteArray(16, '\0'))), false},
        {"32-bit float", riff(float32 + chunk("data", QByteArray(16, '\0'))), false},
        {"part of a frame", riff(kPcm + chunk("data", "abc")), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtSoundPlayer::isPlayableWaveFile(write("case.wav", c.bytes)), c.playable)
            << c.what;

    const QString second = write("r.wav", kGood);
    QtSoundPlayer player;
    player.play(write("adpcm.wav", kUndecodable));
    player.play(write("s.wav", kGood));
    player.play(second);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(settled(player)->source(), QUrl::fromLocalFile(second));
    // The one that plays, and the one that keeps the alert ready.
    EXPECT_EQ(player.findChildren<QSoundEffect*>().size(), 2);
}

} // namespace
