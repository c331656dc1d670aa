#include "platform/QtSoundPlayer.h"

#include <QAudio>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QTimer>

#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <vector>

// The alert lives in a resource of this static library; registering it by hand
// makes sure it is there however the library is linked.
static void initSoundResources()
{
    Q_INIT_RESOURCE(platform_sounds);
}

namespace {

// Five minutes of 48 kHz stereo: a longer sound is cut there, so that a large
// file cannot fill the memory.
constexpr qint64 kMostSamples = 48000LL * 2 * 300;

// libsndfile reads a QIODevice through these. A seek outside the data fails, as
// it does in memory.
sf_count_t deviceLength(void* device)
{
    return static_cast<QIODevice*>(device)->size();
}

sf_count_t deviceSeek(sf_count_t offset, int whence, void* device)
{
    auto* in = static_cast<QIODevice*>(device);
    const qint64 from = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? in->pos() : in->size();
    qint64 to = 0;
    if (qAddOverflow<qint64>(from, offset, &to) || to < 0 || to > in->size() || !in->seek(to))
        return -1;
    return to;
}

sf_count_t deviceRead(void* into, sf_count_t count, void* device)
{
    auto* in = static_cast<QIODevice*>(device);
    return std::max<qint64>(0, in->read(static_cast<char*>(into), count));
}

sf_count_t deviceWrite(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t deviceTell(void* device)
{
    return static_cast<QIODevice*>(device)->pos();
}

QAudioFormat formatOf(const QtSoundPlayer::Sound& sound)
{
    QAudioFormat format;
    format.setSampleRate(sound.rate);
    format.setChannelCount(sound.channels);
    format.setSampleFormat(QAudioFormat::Float);
    return format;
}

// The device with this id, or the system's default output.
QAudioDevice outputDevice(const QByteArray& id)
{
    if (!id.isEmpty())
        for (const QAudioDevice& device : QMediaDevices::audioOutputs())
            if (device.id() == id)
                return device;
    return QMediaDevices::defaultAudioOutput();
}

} // namespace

QtSoundPlayer::Sound QtSoundPlayer::decode(QIODevice& in)
{
    // Only a wave file reaches libsndfile, which knows many other kinds.
    const QByteArray head = in.peek(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return {};
    SF_VIRTUAL_IO io{deviceLength, deviceSeek, deviceRead, deviceWrite, deviceTell};
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(
        sf_open_virtual(&io, SFM_READ, &info, &in), sf_close);
    if (!file || info.channels <= 0 || info.samplerate <= 0)
        return {};
    Sound sound{info.samplerate, info.channels, {}};
    // Samples of integer files come in [-1, 1]; those of floating-point files as
    // they are, so they are held there (and a NaN silenced).
    const sf_count_t frames = std::max(1, (1 << 16) / info.channels);
    std::vector<float> chunk(size_t(frames * info.channels));
    qint64 room = kMostSamples / info.channels;
    while (room > 0) {
        const sf_count_t got =
            sf_readf_float(file.get(), chunk.data(), std::min<sf_count_t>(frames, room));
        if (got <= 0)
            break;
        room -= got;
        const auto end = chunk.begin() + got * info.channels;
        for (auto x = chunk.begin(); x != end; ++x)
            *x = *x >= -1 && *x <= 1 ? *x : *x > 1 ? 1 : *x < -1 ? -1 : 0;
        sound.samples.append(reinterpret_cast<const char*>(chunk.data()),
                             qsizetype(got * info.channels * sizeof(float)));
    }
    if (sound.samples.isEmpty())
        return {};
    return sound;
}

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent)
{
    // The connection to the sound server, and the alert read, once the event loop
    // runs (after the window is shown) rather than at the first sound.
    QTimer::singleShot(0, this, [this] {
        QMediaDevices::defaultAudioOutput();
        alertSound();
    });
}

const QtSoundPlayer::Sound& QtSoundPlayer::alertSound()
{
    if (!alert_) {
        initSoundResources();
        QFile in(QStringLiteral(":/sounds/alert.wav"));
        alert_ = in.open(QIODevice::ReadOnly) ? decode(in) : Sound{};
    }
    return *alert_;
}

// A sink deleted while it plays handles its queued feed after it has let go of
// its stream, and aborts: each one is stopped first.
QtSoundPlayer::~QtSoundPlayer()
{
    if (playing_.sink)
        playing_.sink->stop();
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

void QtSoundPlayer::prepare(const QStringList& files)
{
    // Read once the event loop runs: at start-up, after the window is shown.
    if (!readScheduled_)
        QTimer::singleShot(0, this, &QtSoundPlayer::readPrepared);
    readScheduled_ = true;
    toRead_ = files;
}

void QtSoundPlayer::readPrepared()
{
    readScheduled_ = false;
    // Those no longer asked for are let go.
    QHash<QString, Read> kept;
    for (const QString& file : std::exchange(toRead_, {})) {
        soundOf(file);
        if (const auto read = read_.constFind(file); read != read_.cend())
            kept.insert(file, *read);
    }
    read_ = std::move(kept);
}

const QtSoundPlayer::Sound& QtSoundPlayer::soundOf(const QString& file)
{
    static const Sound none;
    struct stat status{};
    if (file.isEmpty() || ::stat(QFile::encodeName(file).constData(), &status) != 0
        || !S_ISREG(status.st_mode))
        return none;
    const qint64 modified = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    Read& read = read_[file];
    if (read.size != status.st_size || read.modified != modified) {
        QFile in(file);
        read = {status.st_size, modified, in.open(QIODevice::ReadOnly) ? decode(in) : Sound{}};
    }
    return read.sound;
}

void QtSoundPlayer::play(const QString& file)
{
    playThrough(file, output_);
}

void QtSoundPlayer::playThrough(const QString& file, const SoundOutput& output)
{
    if (playing_.sink) {
        playing_.sink->stop();
        playing_.sink->deleteLater();
    }
    const QAudioDevice device = outputDevice(output.device);
    const Sound* sound = &soundOf(file);
    // The sound server takes every rate and number of channels a file is likely
    // to have; one it does not (above 384 kHz, or 33 channels) is as unplayable
    // as an unreadable file.
    const bool alert = sound->samples.isEmpty()
                       || (!device.isNull() && !device.isFormatSupported(formatOf(*sound)));
    playing_ = {file, alert, device.id(), nullptr};
    if (alert)
        sound = &alertSound();
    if (device.isNull() || sound->samples.isEmpty())
        return; // no output device, or not even the alert
    // A new sink for every sound: it starts sooner than one kept between sounds.
    const QAudioFormat format = formatOf(*sound);
    auto* sink = new QAudioSink(device, format, this);
    // The percentage is heard as loudness, which follows the logarithm of the gain.
    sink->setVolume(QAudio::convertVolume(float(qBound(0, output.volume, 100)) / 100,
                                          QAudio::LogarithmicVolumeScale,
                                          QAudio::LinearVolumeScale));
    // Written to the sink as it starts (in Qt's pull mode the first data would go
    // 20 ms later), and kept a second ahead of what is played: the sound server
    // takes more than its buffer's target length, and a stall of the program
    // shorter than that second leaves no gap. The server starts a stream once it
    // holds that target length (200 ms here), which the silence after the sound
    // makes sure of for a short one.
    const QPointer<QIODevice> io = sink->start();
    if (!io) {
        sink->deleteLater();
        return;
    }
    const qsizetype second = format.bytesForDuration(1000000);
    // The sink goes a second after the sound's length, before the two seconds
    // of silence after it have run out: a stream that runs dry is drained, and a
    // sink deleted before the drain's answer comes is called from the sound
    // server's thread after it has gone.
    const QByteArray samples = sound->samples + QByteArray(2 * second, '\0');
    QElapsedTimer started;
    started.start();
    // Whole frames only: the sound server refuses a part of one, and Qt's sink
    // then keeps the server's lock, which hangs the program at its end.
    auto feed = [sink, io, samples, format, started, written = qsizetype(0)]() mutable {
        if (!io || sink->state() == QAudio::StoppedState)
            return true;
        const qsizetype due = format.bytesForDuration(1000000 + started.nsecsElapsed() / 1000);
        const qsizetype free = sink->bytesFree() / format.bytesPerFrame() * format.bytesPerFrame();
        const qsizetype more = std::min(samples.size() - written, std::max(due - written, free));
        written += std::max<qint64>(0, io->write(samples.constData() + written, more));
        return written == samples.size();
    };
    if (!feed()) {
        auto* timer = new QTimer(sink);
        connect(timer, &QTimer::timeout, sink, [timer, feed]() mutable {
            if (feed())
                timer->stop();
        });
        timer->start(100);
    }
    const auto ms = qint64(sound->samples.size()) * 1000 / second;
    QTimer::singleShot(std::chrono::milliseconds(ms + 1000), sink, [sink] {
        sink->stop();
        sink->deleteLater();
    });
    playing_.sink = sink;
}
