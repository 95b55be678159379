#include "transfer/freed_memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tessary {

namespace {

// A block freed is filled with this byte (and one handed out with its complement, which nothing reads unset).
constexpr int fillByte = 0xA5;

} // namespace

FreedMemoryWiped::FreedMemoryWiped()
{
#if defined(M_PERTURB)
    ::mallopt(M_PERTURB, fillByte);
#endif
}

FreedMemoryWiped::~FreedMemoryWiped()
{
#if defined(M_PERTURB)
    ::mallopt(M_PERTURB, 0);
#endif
}

} // namespace tessary
