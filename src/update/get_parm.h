#pragma once

#include <QString>

namespace tessary {

// The value of parameter `parm` in an update script: the text after the first "parm:" (any letter case),
// up to a "#", a line end or the end of the text, untrimmed. Empty when the parameter is absent.
QString GetParm(const QString& parseInput, const QString& parm);

} // namespace tessary
