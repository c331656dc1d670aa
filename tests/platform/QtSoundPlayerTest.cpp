#include "platform/QtSoundPlayer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QPointer>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>

#include <ostream>

// Readable failures.
void PrintTo(const QUrl& url, std::ostream* out)
{
    *out << url.toString().toStdString();
}

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

// A tenth of a second of silence.
QByteArray goodWave()
{
    return riff(kPcm + chunk("data", QByteArray(4410, '\0')));
}

// Whole, but only the decoder can refuse it, and it does so later.
QByteArray undecodableWave()
{
    return riff(kAdpcm + chunk("data", QByteArray(512, '\x11')));
}

// The status of what the player plays now, once the decoder has had its word
// (it works in the background). A failure brings on the alert at once, whose
// word is then waited for in turn.
QSoundEffect::Status settle(const QtSoundPlayer& player)
{
    const auto status = [&] {
        QSoundEffect::Status newest = QSoundEffect::Null;
        for (const auto* effect : player.findChildren<QSoundEffect*>())
            if (effect->source() == player.currentSource())
                newest = effect->status();
        return newest;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return status() != QSoundEffect::Loading; }, 5000))
        << "the sound was neither loaded nor refused in 5 s";
    return status();
}

class QtSoundPlayerTest : public ::testing::Test {
protected:
    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly)) << qPrintable(path);
        out.write(bytes);
        return path;
    }

    QTemporaryDir dir;
};

TEST_F(QtSoundPlayerTest, OnlyWholeWaveFilesReachTheDecoder)
{
    const QByteArray good = goodWave();
    const struct {
        const char* what;
        QByteArray bytes;
        bool whole;
    } cases[] = {
        {"whole", good, true},
        {"another chunk first, of odd length", riff(chunk("LIST", "odd") + kPcm + chunk("data", "ab")),
         true},
        {"whole, in a format the decoder refuses", undecodableWave(), true},
        {"empty file", QByteArray(), false},
        {"not RIFF", "RIFX" + good.mid(4), false},
        {"cut before the data chunk", riff(kPcm), false},
        {"data cut short", good.chopped(1), false},
        {"format after data", riff(chunk("data", QByteArray(100, '\0')) + kPcm), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(QtSoundPlayer::isWholeWaveFile(file("case.wav", c.bytes)), c.whole);
    }
    EXPECT_FALSE(QtSoundPlayer::isWholeWaveFile(dir.filePath("missing.wav")));
}

TEST_F(QtSoundPlayerTest, AFileThatCannotBePlayedGivesTheAlert)
{
    const struct {
        const char* what;
        QString file;
    } cases[] = {
        {"no name", QString()},
        {"missing file", dir.filePath("missing.wav")},
        {"data cut short", file("cut.wav", goodWave().left(1000))},
        {"a format the decoder refuses", file("adpcm.wav", undecodableWave())},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QtSoundPlayer player;
        player.play(c.file);
        EXPECT_EQ(settle(player), QSoundEffect::Ready) << "the built-in alert does not decode";
        EXPECT_EQ(player.currentSource(), QtSoundPlayer::alertSource());
    }
}

TEST_F(QtSoundPlayerTest, TheNewestSoundWinsAndTheOldOnesGo)
{
    const QString first = file("s.wav", goodWave());
    const QString second = file("r.wav", goodWave());
    QtSoundPlayer player;
    for (int i = 0; i < 50; ++i) {
        player.play(first);
        player.play(second);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(player.currentSource(), QUrl::fromLocalFile(second));
    EXPECT_EQ(settle(player), QSoundEffect::Ready);
    // The one that plays, and the one that keeps the alert ready.
    EXPECT_EQ(player.findChildren<QSoundEffect*>().size(), 2);
}

TEST_F(QtSoundPlayerTest, ALateFailureOfAReplacedSoundDoesNotInterrupt)
{
    const QUrl bad = QUrl::fromLocalFile(file("adpcm.wav", undecodableWave()));
    const QUrl good = QUrl::fromLocalFile(file("s.wav", goodWave()));
    QtSoundPlayer player;
    player.play(bad.toLocalFile()); // its decoder fails only later
    const QPointer<QSoundEffect> replaced = player.findChildren<QSoundEffect*>().last();
    player.play(good.toLocalFile());
    // Events processed outside an event loop leave the replaced sound to be deleted
    // later, so that its failure does come while the newer one plays.
    const QDeadlineTimer deadline(5000);
    while (replaced && replaced->status() != QSoundEffect::Error && !deadline.hasExpired())
        QCoreApplication::processEvents();
    ASSERT_TRUE(replaced);
    ASSERT_EQ(replaced->source(), bad);
    ASSERT_EQ(replaced->status(), QSoundEffect::Error);
    EXPECT_EQ(player.currentSource(), good);
    EXPECT_EQ(settle(player), QSoundEffect::Ready);
    EXPECT_EQ(player.currentSource(), good);
}

} // namespace
