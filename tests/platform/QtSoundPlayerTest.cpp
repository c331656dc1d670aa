#include "platform/QtSoundPlayer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSignalSpy>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QByteArray le32(quint32 v)
{
    v = qToLittleEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&v), 4);
}

QByteArray le16(quint16 v)
{
    v = qToLittleEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&v), 2);
}

QByteArray chunk(const char* id, const QByteArray& body)
{
    QByteArray out = QByteArray(id) + le32(quint32(body.size())) + body;
    if (body.size() % 2)
        out += '\0';
    return out;
}

// Mono 16-bit PCM at 22050 Hz.
QByteArray formatChunk()
{
    return chunk("fmt ", le16(1) + le16(1) + le32(22050) + le32(44100) + le16(2) + le16(16));
}

QByteArray riff(const QByteArray& chunks)
{
    return "RIFF" + le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

// A tenth of a second of silence.
QByteArray goodWave()
{
    return riff(formatChunk() + chunk("data", QByteArray(4410, '\0')));
}

void writeWave(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(goodWave());
}

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QUrl fileUrl(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

// The decoder works in the background: wait for its word on the player's
// current sound (loaded or failed). A failure may bring on the alert, which is
// then waited for in turn.
QSoundEffect::Status settle(const QtSoundPlayer& player)
{
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        QSoundEffect* current = nullptr;
        for (auto* effect : player.findChildren<QSoundEffect*>())
            if (effect->source() == player.currentSource())
                current = effect;
        if (!current)
            return QSoundEffect::Null;
        const auto status = current->status();
        if (status == QSoundEffect::Ready || status == QSoundEffect::Error) {
            QCoreApplication::processEvents(); // let the player act on it
            if (player.currentSource() == current->source())
                return status;
            continue;
        }
        QSignalSpy spy(current, &QSoundEffect::statusChanged);
        spy.wait(100);
    }
    ADD_FAILURE() << "the sound was neither loaded nor refused in 5 s";
    return QSoundEffect::Loading;
}

class QtSoundPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        good = dir.filePath("s.wav");
        other = dir.filePath("r.wav");
        writeWave(good);
        writeWave(other);
        empty = dir.filePath("empty.wav");
        writeText(empty, "");
        garbage = dir.filePath("garbage.wav");
        writeText(garbage, "this is not a wave file, though its name says so");
        // Whole, but in a format the decoder does not know (ADPCM): only
        // the decoder can refuse it, later.
        undecodable = dir.filePath("adpcm.wav");
        writeText(undecodable, riff(chunk("fmt ", le16(2) + le16(1) + le32(22050) + le32(11025)
                                                      + le16(256) + le16(4))
                                    + chunk("data", QByteArray(512, '\x11'))));
        ASSERT_TRUE(QtSoundPlayer::isWholeWaveFile(undecodable));
        cut = dir.filePath("cut.wav");
        writeText(cut, goodWave().left(1000));
    }

    QTemporaryDir dir;
    QString good, other, empty, garbage, cut, undecodable;
};

TEST_F(QtSoundPlayerTest, TheAlertIsBuiltInAndDecodes)
{
    QtSoundPlayer player;
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/sounds/alert.wav")));
    player.play(QString());
    EXPECT_EQ(player.currentSource(), QtSoundPlayer::alertSource());
    EXPECT_EQ(settle(player), QSoundEffect::Ready);
}

TEST_F(QtSoundPlayerTest, AFileThatCannotBePlayedGivesTheAlert)
{
    struct Case {
        const char* what;
        QString file;
    };
    const Case cases[] = {
        {"no name", QString()},
        {"missing file", dir.filePath("missing.wav")},
        {"a folder", dir.path()},
        {"empty file", empty},
        {"not a wave file", garbage},
        {"data cut short", cut},
        {"a format the decoder refuses", undecodable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QtSoundPlayer player;
        player.play(c.file);
        settle(player);
        EXPECT_EQ(player.currentSource(), QtSoundPlayer::alertSource());
    }
}

TEST_F(QtSoundPlayerTest, OnlyWholeWaveFilesReachTheDecoder)
{
    const QByteArray good = goodWave();
    QByteArray longer = good;
    longer.chop(1); // the data chunk says one byte more than the file holds
    QByteArray noFormat = riff(chunk("data", QByteArray(100, '\0')));
    QByteArray formatAfterData = riff(chunk("data", QByteArray(100, '\0')) + formatChunk());
    struct Case {
        const char* what;
        QByteArray bytes;
        bool whole;
    };
    const Case cases[] = {
        {"whole", good, true},
        {"another chunk first, of odd length", riff(chunk("LIST", "odd") + formatChunk() + chunk("data", "ab")), true},
        {"empty data", riff(formatChunk() + chunk("data", QByteArray())), true},
        {"empty file", QByteArray(), false},
        {"only the RIFF header", good.left(12), false},
        {"cut inside the format chunk", good.left(30), false},
        {"cut before the data chunk", riff(formatChunk()), false},
        {"data cut short", longer, false},
        {"no format chunk", noFormat, false},
        {"format after data", formatAfterData, false},
        {"not RIFF", "RIFX" + good.mid(4), false},
        {"text", "this is not a wave file, though its name says so", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QStringLiteral("case.wav"));
        writeText(path, c.bytes);
        EXPECT_EQ(QtSoundPlayer::isWholeWaveFile(path), c.whole);
    }
    EXPECT_FALSE(QtSoundPlayer::isWholeWaveFile(dir.filePath(QStringLiteral("missing.wav"))));
}

TEST_F(QtSoundPlayerTest, AGoodFilePlaysItself)
{
    QtSoundPlayer player;
    player.play(good);
    EXPECT_EQ(settle(player), QSoundEffect::Ready);
    EXPECT_EQ(player.currentSource(), fileUrl(good));
}

TEST_F(QtSoundPlayerTest, TheNewestSoundWinsAndTheOldOnesGo)
{
    QtSoundPlayer player;
    for (int i = 0; i < 50; ++i) {
        player.play(good);
        player.play(other);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(player.currentSource(), fileUrl(other));
    EXPECT_EQ(settle(player), QSoundEffect::Ready);
    // The one that plays, and the one that keeps the alert ready.
    EXPECT_EQ(player.findChildren<QSoundEffect*>().size(), 2);
}

TEST_F(QtSoundPlayerTest, ALateFailureOfAReplacedSoundDoesNotInterrupt)
{
    QtSoundPlayer player;
    player.play(undecodable); // its decoder fails only later
    player.play(good);
    EXPECT_EQ(settle(player), QSoundEffect::Ready);
    EXPECT_EQ(player.currentSource(), fileUrl(good));
}

} // namespace
