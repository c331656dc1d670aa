#include "platform/QtSoundPlayer.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// A short mono 16-bit wave file of silence.
void writeWave(const QString& path)
{
    const quint32 samples = 2205;
    QByteArray data;
    auto u32 = [&](quint32 v) { v = qToLittleEndian(v); data.append(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](quint16 v) { v = qToLittleEndian(v); data.append(reinterpret_cast<const char*>(&v), 2); };
    data.append("RIFF");
    u32(36 + samples * 2);
    data.append("WAVEfmt ");
    u32(16);
    u16(1);        // PCM
    u16(1);        // mono
    u32(22050);
    u32(22050 * 2);
    u16(2);
    u16(16);
    data.append("data");
    u32(samples * 2);
    data.append(QByteArray(int(samples * 2), '\0'));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
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

// The decoder works in the background; wait until the player's sound has
// been judged (loaded or failed).
QSoundEffect::Status settle(const QtSoundPlayer& player)
{
    auto* effect = player.findChild<QSoundEffect*>(QString(), Qt::FindDirectChildrenOnly);
    QSoundEffect::Status status = QSoundEffect::Loading;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (auto* e : player.findChildren<QSoundEffect*>())
                if (e->source() == player.currentSource())
                    status = e->status();
            return status == QSoundEffect::Ready || status == QSoundEffect::Error;
        }(),
        5000);
    Q_UNUSED(effect);
    return status;
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
    }

    QTemporaryDir dir;
    QString good, other, empty, garbage;
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QtSoundPlayer player;
        player.play(c.file);
        settle(player);
        EXPECT_EQ(player.currentSource(), QtSoundPlayer::alertSource());
    }
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
    player.play(garbage); // its decoder fails only later
    player.play(good);
    EXPECT_EQ(settle(player), QSoundEffect::Ready);
    QTest::qWait(0);
    EXPECT_EQ(player.currentSource(), fileUrl(good));
}

TEST_F(QtSoundPlayerTest, AFailedAlertLeavesSilence)
{
    // Even when the alert fails, the player must not loop on it.
    QtSoundPlayer player;
    player.play(garbage);
    settle(player);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_LE(player.findChildren<QSoundEffect*>().size(), 2);
}

} // namespace
