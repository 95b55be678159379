#pragma once

#include <QString>

namespace tessary {

// A single-precision number as the report prints it: at most seven significant digits, integers plainly, the
// exponent form ("1E+07") from eight integer digits on. An infinite value prints as "Infinity".
QString singleText(float value);

} // namespace tessary
