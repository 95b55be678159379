// Planted: a relative include that leaves the layer upwards; the others are fine.
#include "../ui/widgets/message_box.h"
#include "../crypto/planted.h"
#include "planted.h"
