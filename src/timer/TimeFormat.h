#pragma once

#include <QString>

// Whole seconds as minutes, a colon and two-digit seconds: 75 gives "1:15",
// 3600 gives "60:00". A negative or non-finite value gives "0:00".
QString SetTimeFormat(double TimeValue);

// A clock field: at least two digits, zero-padded ("07", "59", "123").
QString clockField(int value);
