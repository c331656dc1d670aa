#include "settings/Ini.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>
#include <vector>

namespace {

constexpr int kLongestValue = 749;

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
        qsizetype nl = data.indexOf('\n', start);
        if (nl < 0) {
            lines.push_back({data.mid(start), {}});
            break;
        }
        qsizetype textEnd = nl;
        if (textEnd > start && data.at(textEnd - 1) == '\r')
            --textEnd;
        lines.push_back({data.mid(start, textEnd - start), data.mid(textEnd, nl + 1 - textEnd)});
        start = nl + 1;
    }
    return lines;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimmed(const QByteArray& bytes)
{
    qsizetype b = 0, e = bytes.size();
    while (b < e && isBlank(bytes.at(b)))
        ++b;
    while (e > b && isBlank(bytes.at(e - 1)))
        --e;
    return bytes.mid(b, e - b);
}

// The section name when the line opens a section.
std::optional<QByteArray> sectionName(const QByteArray& line)
{
    const QByteArray t = trimmed(line);
    if (!t.startsWith('['))
        return std::nullopt;
    const qsizetype close = t.indexOf(']');
    return trimmed(t.mid(1, close < 0 ? -1 : close - 1));
}

struct KeyLine {
    QByteArray key;
    QByteArray value;
};

std::optional<KeyLine> keyLine(const QByteArray& line)
{
    const QByteArray t = trimmed(line);
    if (t.isEmpty() || t.startsWith(';'))
        return std::nullopt;
    const qsizetype eq = t.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    return KeyLine{trimmed(t.left(eq)), trimmed(t.mid(eq + 1))};
}

bool sameName(const QByteArray& a, const QString& b)
{
    return QString::fromUtf8(a).compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

QString decode(const QByteArray& bytes)
{
    // Files written by other editors may be in an 8-bit code page rather than UTF-8.
    auto toUtf16 = QStringDecoder(QStringDecoder::Utf8);
    QString text = toUtf16(bytes);
    return toUtf16.hasError() ? QString::fromLatin1(bytes) : text;
}

// Where the section's lines are: [begin, end), begin being the header line.
struct SectionSpan {
    size_t header;
    size_t end;
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, const QString& section)
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

std::optional<size_t> findKey(const std::vector<Line>& lines, SectionSpan span, const QString& key)
{
    for (size_t i = span.header + 1; i < span.end; ++i) {
        const auto kl = keyLine(lines[i].text);
        if (kl && sameName(kl->key, key))
            return i;
    }
    return std::nullopt;
}


// Sets key in section to value within lines, adding the key or the section when missing.
void setLine(std::vector<Line>& lines, const QString& section, const QString& key,
             const QString& value, const QByteArray& eol)
{
    const QByteArray upperKey = key.toUpper().toUtf8();
    const QByteArray bytes = value.toUtf8();

    if (const auto span = findSection(lines, section)) {
        if (const auto at = findKey(lines, *span, key)) {
            // Keep the key as the file spells it; only the value changes.
            lines[*at].text = keyLine(lines[*at].text)->key + '=' + bytes;
        } else {
            // After the section's last non-blank line, so that a blank line that
            // separates it from the next section stays where it is.
            size_t insertAt = span->end;
            while (insertAt > span->header + 1 && trimmed(lines[insertAt - 1].text).isEmpty())
                --insertAt;
            if (lines[insertAt - 1].end.isEmpty())
                lines[insertAt - 1].end = eol;
            lines.insert(lines.begin() + qsizetype(insertAt), Line{upperKey + '=' + bytes, eol});
        }
    } else {
        if (!lines.empty() && lines.back().end.isEmpty())
            lines.back().end = eol;
        lines.push_back({'[' + section.toUtf8() + ']', eol});
        lines.push_back({upperKey + '=' + bytes, eol});
    }
}

} // namespace

QString ReadIni(const QString& section, const QString& key, const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const std::vector<Line> lines = splitLines(file.readAll());
    const auto span = findSection(lines, section);
    if (!span)
        return {};
    const auto at = findKey(lines, *span, key.toLower());
    if (!at)
        return {};
    return decode(keyLine(lines[*at].text)->value).left(kLongestValue);
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
    // A line break would split the value and spill text into the file as new lines.
    for (const auto& [key, value] : values)
        if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
            return fail(QStringLiteral("The value of %1 contains a line break.").arg(key));

    QByteArray data;
    QFile existing(fileName);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            return fail(existing.errorString());
        data = existing.readAll();
        existing.close();
    }

    std::vector<Line> lines = splitLines(data);
    const QByteArray eol = data.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    for (const auto& [key, value] : values)
        setLine(lines, section, key, value, eol);

    QByteArray out;
    for (const Line& line : lines)
        out += line.text + line.end;

    // Unbuffered: a short write must show here. A buffered one fails only in the
    // flush inside commit(), which QSaveFile does not check, and would commit a
    // cut file.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());
    // A short write sets no error; writing the rest does, and names the reason.
    for (qsizetype done = 0; done < out.size();) {
        const qint64 n = file.write(out.constData() + done, out.size() - done);
        if (n <= 0)
            return fail(file.errorString());
        done += n;
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}
