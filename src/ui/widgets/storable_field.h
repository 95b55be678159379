#pragma once

#include <QString>

class QWidget;

namespace tessary {

// True when the key ring can hold `text`; otherwise a box says why, in `field`'s window, and the focus goes to
// `field`. `nameCharacter`: the box names the character (never for a password).
bool storableOrRefused(QWidget* field, const QString& what, const QString& text, bool nameCharacter = true);

} // namespace tessary
