// The text conversions on any text: a whole number is its number rounded, and
// a number is always a truth value.
#include "settings/Convert.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto number = convert::toNumber(text);
    const auto whole = convert::toWholeNumber(text);
    if ((number && !std::isfinite(*number))
        || (whole && (!number || convert::roundHalfEven(*number) != *whole))
        || (number && convert::toTruth(text) != (*number != 0)))
        std::abort();
    return 0;
}
