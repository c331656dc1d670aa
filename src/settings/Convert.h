#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// How text from the settings file and from input boxes becomes values. Numbers
// are decimal with the point as separator, blanks around them allowed; anything
// else is unreadable and gives nothing, so the caller keeps what it had.
namespace convert {

// A decimal number: optional sign, digits with an optional fraction, an optional
// exponent.
std::optional<double> toNumber(const QString& text);

// A decimal number rounded to the nearest whole number, a half to the even
// neighbour (2.5 gives 2, 3.5 gives 4), in -32768..32767.
std::optional<qint16> toWholeNumber(const QString& text);

// "True" and "False" in any letter case, or a number: zero is false, any other true.
std::optional<bool> toTruth(const QString& text);

// Rounds to the nearest whole number, a half to the even neighbour.
double roundHalfEven(double value);

} // namespace convert
