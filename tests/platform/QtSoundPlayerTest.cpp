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
    return id + QByteArray(reinterpret_cast<const char*>(&size), 4) + body
           + QByteArray(body.size() % 2, '\0');
}

QByteArray riff(const QByteArray& chunks) { return chunk("RIFF", "WAVE" + chunks); }

// A format chunk, in hexadecimal: tag, channels, rate, bytes a second and a frame, bits.
QByteArray format(const char* hex) { return chunk("fmt ", QByteArray::fromHex(hex)); }

// A wave file of that format and these data.
QByteArray wave(const char* formatHex, const QByteArray& data)
{
    return riff(format(formatHex) + chunk("data", data));
}

// 16-bit mono PCM at 22050 Hz, 0.1 s of silence; and 4-bit mono MS ADPCM, which
// Qt's decoder does not know.
const QByteArray kPcm = format("0100 0100 22560000 44ac0000 0200 1000");
const QByteArray kGood = riff(kPcm + chunk("data", QByteArray(4410, '\0')));
const QByteArray kUndecodable = wave("0200 0100 22560000 112b0000 0001 0400", QByteArray(512, 1));

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
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return player.current()->status() != QSoundEffect::Loading; }, 5000));
    EXPECT_EQ(player.current()->status(), QSoundEffect::Ready);
    return player.current();
}

// The end-to-end sound test hears the rest: the alert for a missing file, and the
// volume of 50 %.
TEST(QtSoundPlayerTest, EachSoundGoesToTheChosenOutputAndAFaultyFileGivesTheAlert)
{
    const QByteArray sink = qgetenv("SINK"); // the session's only device
    ASSERT_FALSE(sink.isEmpty()) << "not run in the end-to-end session";
    const QString good = write("s.wav", kGood), cut = write("cut.wav", kGood.left(1000));
    QtSoundPlayer player;
    // What plays now, through which device (the null one stands for the system's
    // default) and how loud: loudness follows the logarithm of the gain.
    const auto playing = [&](const QUrl& source, const QByteArray& device, float gain) {
        SCOPED_TRACE(source.toString().toStdString());
        QSoundEffect* effect = settled(player);
        EXPECT_EQ(effect->source(), source);
        EXPECT_EQ(effect->audioDevice().id(), device);
        EXPECT_NEAR(effect->volume(), gain, 1e-4);
    };
    player.setOutput({sink, 1});
    player.play(cut); // the data cut short
    playing(QtSoundPlayer::alertSource(), sink, 0.0022f);
    player.playThrough(good, {"usb.headset", 100}); // a device unplugged; this sound only
    playing(QUrl::fromLocalFile(good), {}, 1.0f);
    player.play(good);
    playing(QUrl::fromLocalFile(good), sink, 0.0022f);
}

// Only wave files the decoder is sure to take reach it (it waits for ever on any
// other, and so does every later sound of that file); the newest sound wins, and
// the replaced ones go.
TEST(QtSoundPlayerTest, OnlyPlayableWaveFilesReachTheDecoderAndTheNewestWins)
{
    const struct { const char* what; QByteArray bytes; bool playable; } cases[] = {
        {"odd-sized chunk first", riff(chunk("LIST", "odd") + kPcm + chunk("data", "ab")), true},
        {"8-bit stereo", wave("0100 0200 22560000 44ac0000 0200 0800", "abcd"), true},
        {"empty file", QByteArray(), false},
        {"not RIFF", "RIFX" + kGood.mid(4), false},
        {"cut before the data chunk", riff(kPcm), false},
        {"format after data", riff(chunk("data", QByteArray(100, '\0')) + kPcm), false},
        {"ADPCM", kUndecodable, false},
        {"64-bit PCM", wave("0100 0100 22560000 10b10200 0800 4000", QByteArray(16, 0)), false},
        {"32-bit float", wave("0300 0100 22560000 88580100 0400 2000", QByteArray(16, 0)), false},
        {"part of a frame", riff(kPcm + chunk("data", "abc")), false},
    };
    // A whole one is played below, and in the other test.
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
