#include "settings/Ini.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kLongestValue = 749;
constexpr qint64 kBlock = 64 * 1024;

// How the file stores its text. Windows editors and the Win32 profile functions
// write 8-bit text (UTF-8 or the ANSI code page, maybe behind a UTF-8 mark) or
// UTF-16 behind its byte-order mark. Inside this file all of it is handled as
// 8-bit lines: UTF-16 is turned into UTF-8 on the way in and back on the way out.
enum class Form { Bytes, Utf8Mark, Utf16LE, Utf16BE };

Form formOf(QByteArrayView head)
{
    if (head.startsWith("\xEF\xBB\xBF"))
        return Form::Utf8Mark;
    if (head.startsWith("\xFF\xFE"))
        return Form::Utf16LE;
    if (head.startsWith("\xFE\xFF"))
        return Form::Utf16BE;
    return Form::Bytes;
}

QByteArrayView mark(Form form)
{
    switch (form) {
    case Form::Utf8Mark: return "\xEF\xBB\xBF";
    case Form::Utf16LE: return "\xFF\xFE";
    case Form::Utf16BE: return "\xFE\xFF";
    case Form::Bytes: break;
    }
    return {};
}

bool isUtf16(Form form)
{
    return form == Form::Utf16LE || form == Form::Utf16BE;
}

// Qt's decoders drop a byte-order mark at the start of what they decode; here a
// file's mark is taken off before, and one after it is text.
QStringDecoder decoder(QStringDecoder::Encoding encoding)
{
    return QStringDecoder(encoding, QStringDecoder::Flag::ConvertInitialBom);
}

QStringDecoder utf16Decoder(Form form)
{
    return decoder(form == Form::Utf16LE ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
}

// Windows-1252's letters at 0x80..0x9F; the five it leaves open read as the C1
// control of the same number, as Windows reads them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromCp1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        text[i] = QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

std::optional<QByteArray> toCp1252(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes += char(u);
            continue;
        }
        const auto* at = std::find(std::begin(kCp1252High), std::end(kCp1252High), u);
        if (at == std::end(kCp1252High))
            return std::nullopt;
        bytes += char(0x80 + (at - std::begin(kCp1252High)));
    }
    return bytes;
}

// A value in UTF-8 reads as such; other bytes come from a Windows editor or the
// profile functions in the ANSI code page, which is Windows-1252 on the systems
// these files come from.
QString decode(QByteArrayView bytes)
{
    return bytes.isValidUtf8() ? QString(decoder(QStringDecoder::Utf8)(bytes)) : fromCp1252(bytes);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView bytes)
{
    qsizetype b = 0, e = bytes.size();
    while (b < e && isBlank(bytes[b]))
        ++b;
    while (e > b && isBlank(bytes[e - 1]))
        --e;
    return bytes.sliced(b, e - b);
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Names match without regard to the letter case of A to Z; other bytes match as they are.
bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

// The section name when the line opens a section: "[name]", blanks allowed
// around; a line without its closing bracket opens none.
std::optional<QByteArrayView> sectionName(QByteArrayView line)
{
    const QByteArrayView t = trimmed(line);
    if (!t.startsWith('['))
        return std::nullopt;
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return trimmed(t.sliced(1, close - 1));
}

struct KeyLine {
    QByteArrayView key;
    QByteArrayView value;
};

std::optional<KeyLine> keyLine(QByteArrayView line)
{
    const QByteArrayView t = trimmed(line);
    if (t.isEmpty() || t.startsWith(';'))
        return std::nullopt;
    const qsizetype eq = t.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    return KeyLine{trimmed(t.first(eq)), trimmed(t.sliced(eq + 1))};
}

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

// The text a value line gives, as the profile functions give it: up to a NUL,
// without the blanks around it and without one pair of enclosing quotes.
QString valueText(QByteArrayView raw)
{
    if (const qsizetype nul = raw.indexOf('\0'); nul >= 0)
        raw = trimmed(raw.first(nul));
    if (raw.size() >= 2 && isQuote(raw.front()) && raw.back() == raw.front())
        raw = raw.sliced(1, raw.size() - 2);
    return decode(raw).left(kLongestValue);
}

// Reads a file line by line in blocks, so that a large file is never held whole.
// Lines end at LF, CR LF or a lone CR.
class LineReader {
public:
    explicit LineReader(QFile& file) : file_(file)
    {
        const QByteArray head = file_.read(kBlock);
        const Form form = formOf(head);
        if (isUtf16(form))
            utf16_ = utf16Decoder(form);
        append(QByteArrayView(head).sliced(mark(form).size()));
        eof_ = head.isEmpty();
    }

    // The next line, without its end; valid until the next call.
    bool next(QByteArrayView& line)
    {
        for (;;) {
            const qsizetype n = buf_.size();
            if (lf_ < pos_)
                lf_ = find('\n');
            if (cr_ < pos_)
                cr_ = find('\r');
            const qsizetype end = std::min(lf_, cr_);
            // A CR at the end of the block may be the first half of a CR LF.
            if (end < n && (end + 1 < n || buf_[end] == '\n' || eof_)) {
                line = QByteArrayView(buf_).sliced(pos_, end - pos_);
                pos_ = end + 1 + (buf_[end] == '\r' && end + 1 < n && buf_[end + 1] == '\n');
                return true;
            }
            if (eof_) {
                if (pos_ >= n)
                    return false;
                line = QByteArrayView(buf_).sliced(pos_);
                pos_ = n;
                return true;
            }
            buf_.remove(0, pos_);
            pos_ = 0;
            lf_ = cr_ = -1;
            const QByteArray block = file_.read(kBlock);
            eof_ = block.isEmpty();
            append(block);
        }
    }

private:
    void append(QByteArrayView raw)
    {
        if (utf16_)
            buf_ += QString((*utf16_)(raw)).toUtf8();
        else
            buf_ += raw;
    }

    qsizetype find(char c) const
    {
        const char* from = buf_.constData() + pos_;
        const void* at = std::memchr(from, c, size_t(buf_.size() - pos_));
        return at ? pos_ + (static_cast<const char*>(at) - from) : buf_.size();
    }

    QFile& file_;
    std::optional<QStringDecoder> utf16_;
    QByteArray buf_;
    qsizetype pos_ = 0;
    qsizetype lf_ = -1; // the next LF at or after pos_ (or the end), -1 when unknown
    qsizetype cr_ = -1;
    bool eof_ = false;
};

// One line of the file: its bytes, and its end of line kept as it was.
struct Line {
    QByteArray text;
    QByteArray end;
};

std::vector<Line> splitLines(const QByteArray& data)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = start;
        while (end < data.size() && data[end] != '\n' && data[end] != '\r')
            ++end;
        const qsizetype endSize = end == data.size() ? 0 : data.mid(end, 2) == "\r\n" ? 2 : 1;
        lines.push_back({data.sliced(start, end - start), data.sliced(end, endSize)});
        start = end + endSize;
    }
    return lines;
}

// Where the section's lines are: [header, end).
struct SectionSpan {
    size_t header;
    size_t end;
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, QByteArrayView section)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i].text);
        if (!name || !sameName(*name, section))
            continue;
        size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end].text))
            ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

std::optional<size_t> findKey(const std::vector<Line>& lines, SectionSpan span, QByteArrayView key)
{
    for (size_t i = span.header + 1; i < span.end; ++i) {
        const auto kl = keyLine(lines[i].text);
        if (kl && sameName(kl->key, key))
            return i;
    }
    return std::nullopt;
}

QByteArray asciiUpper(QByteArray bytes)
{
    for (char& c : bytes)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return bytes;
}

// The value's bytes as the profile functions would write them: as they are, in
// UTF-8, or in a file of 8-bit text in the ANSI code page in Windows-1252 where
// they read back the same.
QByteArray valueBytes(const QString& value, bool ansiFile)
{
    if (ansiFile)
        if (const auto ansi = toCp1252(value); ansi && decode(*ansi) == value)
            return *ansi;
    return value.toUtf8();
}

// Sets key in section to value within lines, adding the key or the section when missing.
void setLine(std::vector<Line>& lines, const QByteArray& section, const QByteArray& key,
             const QByteArray& value, const QByteArray& eol)
{
    if (const auto span = findSection(lines, section)) {
        if (const auto at = findKey(lines, *span, key)) {
            // Keep the key as the file spells it; only the value changes.
            lines[*at].text = keyLine(lines[*at].text)->key.toByteArray() + '=' + value;
        } else {
            // After the section's last non-blank line, so that a blank line that
            // separates it from the next section stays where it is.
            size_t insertAt = span->end;
            while (insertAt > span->header + 1 && trimmed(lines[insertAt - 1].text).isEmpty())
                --insertAt;
            if (lines[insertAt - 1].end.isEmpty())
                lines[insertAt - 1].end = eol;
            lines.insert(lines.begin() + qsizetype(insertAt), Line{asciiUpper(key) + '=' + value, eol});
        }
    } else {
        if (!lines.empty() && lines.back().end.isEmpty())
            lines.back().end = eol;
        lines.push_back({'[' + section + ']', eol});
        lines.push_back({asciiUpper(key) + '=' + value, eol});
    }
}

// The file's contents with the values set in section, in the file's own encoding.
QByteArray withValues(QByteArray data, const QString& section,
                      const QList<std::pair<QString, QString>>& values)
{
    const Form form = formOf(data);
    data.remove(0, mark(form).size());
    if (isUtf16(form))
        data = QString(utf16Decoder(form)(data)).toUtf8();
    const bool ansiFile = !QByteArrayView(data).isValidUtf8();

    std::vector<Line> lines = splitLines(data);
    const QByteArray eol =
        lines.empty() || lines.front().end.isEmpty() ? QByteArray("\n") : lines.front().end;
    const QByteArray sectionBytes = section.trimmed().toUtf8();
    for (const auto& [key, value] : values)
        setLine(lines, sectionBytes, key.trimmed().toUtf8(), valueBytes(value, ansiFile), eol);

    QByteArray out = mark(form).toByteArray();
    QByteArray text;
    for (const Line& line : lines)
        text += line.text + line.end;
    if (!isUtf16(form))
        return out + text;
    QStringEncoder encoder(form == Form::Utf16LE ? QStringEncoder::Utf16LE
                                                 : QStringEncoder::Utf16BE);
    return out + QByteArray(encoder(decode(text)));
}

// An open file descriptor, closed when it goes.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    // Closes it; false (and errno) when the close reports a failed write.
    bool reset()
    {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

bool fail(QString* why, const QString& text)
{
    *why = text;
    return false;
}

bool failWith(QString* why, int error)
{
    return fail(why, qt_error_string(error));
}

// The folder and the name of a path: "/a/b/c" gives "/a/b" and "c".
std::pair<QByteArray, QByteArray> splitPath(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {".", path};
    return {slash == 0 ? QByteArray("/") : path.first(slash), path.sliced(slash + 1)};
}

QByteArray inFolder(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

std::optional<QByteArray> realPath(const QByteArray& path)
{
    char* real = ::realpath(path.constData(), nullptr);
    if (!real)
        return std::nullopt;
    QByteArray out(real);
    std::free(real);
    return out;
}

// The real file a save writes: the name with every symbolic link on its way
// followed, those of the folders and those of a chain of links alike (what
// canonicalFilePath() gives). A file that is not there yet is made in its
// folder's real place. A link that leads to no file is refused: the save would
// write a file the link does not show, or one in a place the user never chose.
std::optional<QByteArray> realFile(const QByteArray& name, QString* why)
{
    struct stat st {};
    const bool there = ::lstat(name.constData(), &st) == 0;
    if (!there && errno != ENOENT) {
        failWith(why, errno);
        return std::nullopt;
    }
    const auto [folder, file] = splitPath(name);
    auto real = there ? realPath(name) : realPath(folder);
    if (!real) {
        if (errno == ENOENT && S_ISLNK(st.st_mode))
            fail(why, QStringLiteral("It is a symbolic link that leads to no file."));
        else
            failWith(why, errno);
        return std::nullopt;
    }
    return there ? *real : inFolder(*real, file);
}

// The lock that every save of the file holds from its read to its rename, so
// that two programs saving at once each keep the other's keys. It is on a file
// of its own beside the real one: a lock on the file itself would go with the
// old file at the rename. The lock file stays: removing it would let a save
// lock a file that the next save no longer sees. Where no lock can be had (a
// folder that cannot be written, a file system without locks) the save goes on
// without it, and a folder that cannot be written fails it at the temporary file.
Fd lockFor(const QByteArray& folder, const QByteArray& file)
{
    const QByteArray path = inFolder(folder, '.' + file + ".lock");
    Fd lock(::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (!lock.isOpen()) // made by another user, without write permission for this one
        lock = Fd(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    while (lock.isOpen() && flock(lock.get(), LOCK_EX) != 0)
        if (errno != EINTR)
            lock.reset();
    return lock;
}

// The temporary file of a save: "times.ini.saving-XXXXXX".
const char kSaving[] = ".saving-";
constexpr int kRandomChars = 6;

// A save that was killed before its rename leaves its temporary file behind.
// Called under the lock, when no other save is under way: every temporary file
// there is such a leftover.
void removeLeftovers(const QByteArray& folder, const QByteArray& file)
{
    const QString prefix = QFile::decodeName(file) + QLatin1String(kSaving);
    const QDir dir(QFile::decodeName(folder));
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (name.size() == prefix.size() + kRandomChars && name.startsWith(prefix))
            ::unlink(QFile::encodeName(dir.filePath(name)).constData());
}

bool readAll(int fd, QByteArray& out)
{
    char block[kBlock];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n == 0)
            return true;
        if (n < 0 && errno != EINTR)
            return false;
        out.append(block, std::max<ssize_t>(n, 0));
    }
}

// Writes contents to a new temporary file beside target, with the old file's
// owner, group and mode where there is an old file; its name, or empty (and why).
QByteArray writeTemporary(const QByteArray& target, const struct stat* old,
                          const QByteArray& contents, QString* why)
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray temp;
    Fd fd;
    for (int tries = 0; !fd.isOpen() && tries < 100; ++tries) {
        temp = target + kSaving;
        for (int i = 0; i < kRandomChars; ++i)
            temp += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
        fd = Fd(::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd.isOpen() && errno != EEXIST)
            break;
    }
    if (!fd.isOpen()) {
        failWith(why, errno);
        return {};
    }
    int error = 0;
    if (old) {
        // Only root may give a file away, and only to a group of its own a user:
        // what cannot be kept is left as the new file has it.
        if (fchown(fd.get(), old->st_uid, old->st_gid) != 0)
            (void)!fchown(fd.get(), uid_t(-1), old->st_gid);
        // After the owner: a change of owner clears the set-user-id bit.
        if (fchmod(fd.get(), old->st_mode & 07777) != 0)
            error = errno;
    }
    for (qsizetype done = 0; !error && done < contents.size();) {
        const ssize_t n =
            ::write(fd.get(), contents.constData() + done, size_t(contents.size() - done));
        if (n < 0 && errno != EINTR)
            error = errno;
        done += std::max<ssize_t>(n, 0);
    }
    if (!error && fdatasync(fd.get()) != 0)
        error = errno;
    if (!fd.reset() && !error)
        error = errno;
    if (!error)
        return temp;
    ::unlink(temp.constData());
    failWith(why, error);
    return {};
}

// Replaces the file with what edit makes of its contents, in one step: the new
// contents go to a temporary file beside the real file, which then takes its
// name (rename). A save cut short at any moment leaves the old file or the new
// one. The owner, group and mode stay, and so does every symbolic link on the
// way: the real file is replaced. A read-only file is not replaced, as the
// Windows profile functions leave one alone: its mode has no write permission,
// or this process may not write it.
bool saveFile(const QString& name, const std::function<QByteArray(const QByteArray&)>& edit,
              QString* why)
{
    const auto target = realFile(QFile::encodeName(name), why);
    if (!target)
        return false;
    const auto [folder, file] = splitPath(*target);
    const Fd lock = lockFor(folder, file);

    QByteArray contents;
    struct stat old {};
    const Fd in(::open(target->constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!in.isOpen() && errno != ENOENT)
        return failWith(why, errno);
    if (in.isOpen()) {
        if (fstat(in.get(), &old) != 0)
            return failWith(why, errno);
        if (S_ISDIR(old.st_mode))
            return failWith(why, EISDIR);
        if ((old.st_mode & 0222) == 0)
            return fail(why, QStringLiteral("The file is read-only."));
        if (faccessat(AT_FDCWD, target->constData(), W_OK, AT_EACCESS) != 0)
            return failWith(why, errno);
        if (!readAll(in.get(), contents))
            return failWith(why, errno);
    }
    // Before this save's own temporary file is made: killed in between, a save
    // leaves one temporary file at most.
    removeLeftovers(folder, file);
    const QByteArray temp =
        writeTemporary(*target, in.isOpen() ? &old : nullptr, edit(contents), why);
    if (temp.isEmpty())
        return false;
    if (::rename(temp.constData(), target->constData()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        return failWith(why, error);
    }
    // The rename is an entry of the folder: kept through a power cut only once
    // the folder is on disk too. A file system that cannot sync a folder says EINVAL.
    const Fd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.isOpen() && fsync(dir.get()) != 0 && errno != EINVAL)
        return failWith(why, errno);
    return true;
}

// Names in order without regard to the letter case of A to Z, as sameName() matches them.
struct NameLess {
    using is_transparent = void;
    bool operator()(QByteArrayView a, QByteArrayView b) const
    {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](char x, char y) { return asciiLower(x) < asciiLower(y); });
    }
};

bool hasAny(const QString& text, QLatin1StringView chars)
{
    return std::any_of(chars.begin(), chars.end(), [&](QChar c) { return text.contains(c); });
}

} // namespace

QString ReadIni(const QString& section, const QString& key, const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    const QByteArray wantSection = section.trimmed().toUtf8();
    const QByteArray wantKey = key.trimmed().toUtf8();
    LineReader reader(file);
    bool inSection = false;
    QByteArrayView line;
    while (reader.next(line)) {
        if (const auto name = sectionName(line)) {
            // Only the first section of a name counts.
            if (inSection)
                return {};
            inSection = sameName(*name, wantSection);
        } else if (inSection) {
            if (const auto kl = keyLine(line); kl && sameName(kl->key, wantKey))
                return valueText(kl->value);
        }
    }
    return {};
}

struct IniSnapshot::State {
    struct Section {
        std::map<QByteArray, QByteArray, NameLess> keys; // each key's first line: its raw value
        bool complete = false;                          // every line of it read
    };

    QFile file;
    std::optional<LineReader> reader; // none once the file is read to its end, or cannot be read
    std::map<QByteArray, Section, NameLess> sections; // the first section of each name
    Section* current = nullptr; // the one being read; none before the first or in a repeated one
    bool opened = false;        // whether the last line read opened a section of a new name

    // One line more into the sections; false at the end of the file.
    bool readLine()
    {
        QByteArrayView line;
        opened = false;
        if (!reader || !reader->next(line)) {
            if (current)
                current->complete = true;
            current = nullptr;
            reader.reset();
            file.close();
            return false;
        }
        if (const auto name = sectionName(line)) {
            if (current)
                current->complete = true;
            // Only the first section of a name counts.
            opened = sections.find(*name) == sections.end();
            current = opened ? &sections[name->toByteArray()] : nullptr;
        } else if (current) {
            const auto kl = keyLine(line);
            if (kl && current->keys.find(kl->key) == current->keys.end())
                current->keys.emplace(kl->key.toByteArray(), kl->value.toByteArray());
        }
        return true;
    }
};

IniSnapshot::IniSnapshot(const QString& fileName) : state_(std::make_unique<State>())
{
    state_->file.setFileName(fileName);
    if (state_->file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        state_->reader.emplace(state_->file);
}

IniSnapshot::~IniSnapshot() = default;

QString IniSnapshot::value(const QString& section, const QString& key) const
{
    const QByteArray wantSection = section.trimmed().toUtf8();
    const QByteArray wantKey = key.trimmed().toUtf8();
    State& s = *state_;
    auto found = s.sections.find(wantSection);
    for (;;) {
        if (found != s.sections.end()) {
            if (const auto kv = found->second.keys.find(wantKey); kv != found->second.keys.end())
                return valueText(kv->second);
            if (found->second.complete)
                return {};
        }
        if (!s.readLine())
            return {};
        if (s.opened && found == s.sections.end())
            found = s.sections.find(wantSection);
    }
}

bool WriteIni(const QString& section, const QString& key, const QString& value,
              const QString& fileName, QString* error)
{
    return WriteIni(section, {{key, value}}, fileName, error);
}

bool WriteIni(const QString& section, const QList<std::pair<QString, QString>>& values,
              const QString& fileName, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    // A line break or a NUL would split the line or end it early; a bracket in a
    // section name or an equals sign in a key would make the line mean something else.
    const QLatin1StringView breaks("\r\n\0", 3);
    if (hasAny(section, breaks) || section.contains(QLatin1Char(']')))
        return fail(QStringLiteral("The section name %1 cannot be written.").arg(section));
    for (const auto& [key, value] : values) {
        const QString k = key.trimmed();
        if (hasAny(k, breaks) || k.contains(QLatin1Char('=')) || k.startsWith(QLatin1Char('['))
            || k.startsWith(QLatin1Char(';')))
            return fail(QStringLiteral("The key name %1 cannot be written.").arg(key));
        if (hasAny(value, breaks))
            return fail(QStringLiteral("The value of %1 contains a line break.").arg(key));
    }

    QString why;
    const auto edit = [&](const QByteArray& old) { return withValues(old, section, values); };
    return saveFile(fileName, edit, &why) || fail(why);
}
