#include "timer/TimeFormat.h"

#include <cmath>

QString SetTimeFormat(double TimeValue)
{
    if (!std::isfinite(TimeValue) || TimeValue < 0 || TimeValue > 1e15)
        return QStringLiteral("0:00");
    const auto whole = qint64(TimeValue);
    const qint64 minutes = whole / 60;
    const qint64 seconds = whole - 60 * minutes;
    return QStringLiteral("%1:%2").arg(minutes).arg(seconds, 2, 10, QLatin1Char('0'));
}

QString clockField(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}
