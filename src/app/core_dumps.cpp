#include "app/core_dumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace tessary {

void disableCoreDumps()
{
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

} // namespace tessary
