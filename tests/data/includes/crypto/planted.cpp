// Planted: a layer-rooted include in angle brackets, against the direction.
#include <app/session.h>
#include <QString>
