#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace tessary {

// The program's own version, which every version in an update script is compared with (strictly greater is newer).
inline constexpr float programVersion = 0.1F;

// A decimal number with a point ("0.3", " 1.05 "); blanks around it are allowed, nothing else. Empty when the
// text is no such number or does not fit.
std::optional<float> scriptSingle(const QString& text);
std::optional<std::int32_t> scriptLong(const QString& text);

// The shortest plain decimal form that reads back as the same single-precision number: 0.3, 420, 1.05.
QString versionText(float value);

} // namespace tessary
