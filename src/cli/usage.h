#pragma once

#include <QString>

namespace tessary::cli {

// The text --help prints: every command, its arguments and options.
QString usageText();

} // namespace tessary::cli
