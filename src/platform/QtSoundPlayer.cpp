#include "platform/QtSoundPlayer.h"

#include <QAudio>
#include <QAudioDevice>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QtEndian>

// The alert lives in a resource of this static library; registering it by hand
// makes sure it is there however the library is linked.
static void initSoundResources()
{
    Q_INIT_RESOURCE(platform_sounds);
}

// Whether the file is a RIFF wave file that Qt's decoder is sure to take: a
// format chunk of integer PCM (8 to 32 bits, at least one channel, a rate), then
// a data chunk of whole frames that the file holds in full. Qt's decoder waits
// for ever on a file that ends early (an empty file, a cut-off download) or in
// part of a frame; and once it has refused a file, a new sound of that file waits
// for ever too. Either way the sound is silent where the alert should come, and
// while it waits every sound effect that is deleted blocks the program: such a
// file must never reach the decoder.
bool QtSoundPlayer::isPlayableWaveFile(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = in.size();
    const QByteArray head = in.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return false;
    qint64 frame = 0; // bytes in one frame of a format the decoder takes; 0 for none
    qint64 at = 12;
    while (at + 8 <= size) {
        in.seek(at);
        const QByteArray chunk = in.read(8);
        if (chunk.size() < 8)
            return false;
        const qint64 length = qFromLittleEndian<quint32>(chunk.constData() + 4);
        const qint64 body = at + 8;
        if (chunk.startsWith("fmt ")) {
            const QByteArray format = in.read(16);
            frame = 0;
            if (length >= 16 && body + length <= size && format.size() == 16) {
                const auto field = [&](int offset) {
                    return qFromLittleEndian<quint16>(format.constData() + offset);
                };
                const quint16 tag = field(0), channels = field(2), bits = field(14);
                const quint32 rate = qFromLittleEndian<quint32>(format.constData() + 4);
                if (tag == 1 && channels > 0 && rate > 0
                    && (bits == 8 || bits == 16 || bits == 24 || bits == 32))
                    frame = qint64(channels) * (bits / 8);
            }
        } else if (chunk.startsWith("data")) {
            return frame > 0 && length % frame == 0 && body + length <= size;
        }
        at = body + length + (length & 1);
    }
    return false;
}

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent)
{
    initSoundResources();
    alertKeeper_ = new QSoundEffect(this);
    alertKeeper_->setSource(alertSource());
}

QtSoundPlayer::~QtSoundPlayer() = default;

QUrl QtSoundPlayer::alertSource()
{
    return QUrl(QStringLiteral("qrc:/sounds/alert.wav"));
}

QSoundEffect* QtSoundPlayer::current() const
{
    return current_;
}

void QtSoundPlayer::setOutput(const SoundOutput& output)
{
    output_ = output;
}

QList<SoundDevice> QtSoundPlayer::devices() const
{
    QList<SoundDevice> list;
    for (const QAudioDevice& device : QMediaDevices::audioOutputs())
        list << SoundDevice{device.id(), device.description()};
    return list;
}

void QtSoundPlayer::play(const QString& file)
{
    playThrough(file, output_);
}

void QtSoundPlayer::playThrough(const QString& file, const SoundOutput& output)
{
    const QFileInfo info(file);
    if (file.isEmpty() || !info.isFile() || !isPlayableWaveFile(file))
        start(alertSource(), output, false);
    else
        start(QUrl::fromLocalFile(info.absoluteFilePath()), output, true);
}

// The device with this id, or the null device, which stands for the default.
static QAudioDevice outputDevice(const QByteArray& id)
{
    if (!id.isEmpty())
        for (const QAudioDevice& device : QMediaDevices::audioOutputs())
            if (device.id() == id)
                return device;
    return {};
}

void QtSoundPlayer::start(const QUrl& source, const SoundOutput& output, bool alertOnError)
{
    // A fresh effect for every sound: one effect played again and again falls
    // silent after a few plays, and setting the same source again does nothing.
    if (current_) {
        current_->disconnect(this);
        current_->stop();
        current_->deleteLater();
    }
    auto* effect = new QSoundEffect(outputDevice(output.device), this);
    current_ = effect;
    connect(effect, &QSoundEffect::statusChanged, this, [this, effect, output, alertOnError] {
        onStatusChanged(effect, output, alertOnError);
    });
    // The percentage is heard as loudness, which follows the logarithm of the gain.
    effect->setVolume(QAudio::convertVolume(float(qBound(0, output.volume, 100)) / 100,
                                            QAudio::LogarithmicVolumeScale,
                                            QAudio::LinearVolumeScale));
    effect->setSource(source);
    effect->play();
}

void QtSoundPlayer::onStatusChanged(QSoundEffect* effect, const SoundOutput& output,
                                    bool alertOnError)
{
    if (effect != current_ || effect->status() != QSoundEffect::Error)
        return;
    if (alertOnError) {
        start(alertSource(), output, false);
    } else {
        // Even the alert cannot be played: stay silent.
        current_->disconnect(this);
        current_->deleteLater();
    }
}
