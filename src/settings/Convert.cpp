#include "settings/Convert.h"

#include <cmath>
#include <limits>

namespace convert {

double roundHalfEven(double value)
{
    const double down = std::floor(value);
    const double fraction = value - down;
    if (fraction < 0.5)
        return down;
    if (fraction > 0.5)
        return down + 1;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

// Blanks, a number in decimal with an optional exponent, blanks, and nothing
// else: [ \t]*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?[ \t]*. Scanned by hand, as
// every load converts some two hundred values and a regular expression took
// ten times as long (its compilation at the first load, longer still).
std::optional<double> toNumber(const QString& text)
{
    const QStringView s(text);
    const qsizetype n = s.size();
    const auto blank = [&](qsizetype i) { return i < n && (s[i] == u' ' || s[i] == u'\t'); };
    const auto digit = [&](qsizetype i) { return i < n && s[i] >= u'0' && s[i] <= u'9'; };
    qsizetype i = 0;
    while (blank(i))
        ++i;
    const qsizetype start = i;
    const bool negative = i < n && s[i] == u'-';
    if (i < n && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    const qsizetype wholeStart = i;
    qint64 whole = 0;
    for (; digit(i); ++i)
        whole = i - wholeStart < 15 ? whole * 10 + (s[i].unicode() - u'0') : whole;
    const qsizetype wholeDigits = i - wholeStart;
    qsizetype fractionDigits = 0;
    const bool point = i < n && s[i] == u'.';
    if (point)
        for (++i; digit(i); ++i)
            ++fractionDigits;
    if (wholeDigits == 0 && fractionDigits == 0)
        return std::nullopt;
    bool exponent = false;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        qsizetype e = i + 1;
        if (e < n && (s[e] == u'+' || s[e] == u'-'))
            ++e;
        if (digit(e)) {
            exponent = true;
            for (i = e; digit(i); ++i) {
            }
        }
    }
    const qsizetype end = i;
    while (blank(i))
        ++i;
    if (i != n)
        return std::nullopt;
    // A whole number of up to 15 digits is exact in a double.
    if (!point && !exponent && wholeDigits <= 15)
        return negative ? -double(whole) : double(whole);
    bool ok = false;
    const double value = s.sliced(start, end - start).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint16> toWholeNumber(const QString& text)
{
    const auto value = toNumber(text);
    if (!value)
        return std::nullopt;
    const double rounded = roundHalfEven(*value);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(rounded);
}

std::optional<bool> toTruth(const QString& text)
{
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    if (const auto value = toNumber(text))
        return *value != 0;
    return std::nullopt;
}

} // namespace convert
