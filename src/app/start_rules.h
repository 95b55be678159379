#pragma once

#include <QStringList>

namespace tessary {

// The "/s" switch: the command line (the arguments after the program's name), in lower case, contains "/s"
// anywhere. Arguments that merely contain it ("/silent", a path through "/srv") count as well.
bool startsWithTrayOnly(const QStringList& arguments);

// How many random characters replace a password of `length` characters in the login box: 2L + 255 plus the
// whole part of 100 r, for r in [0, 1).
int garbleLength(int length, double r);

} // namespace tessary
