#pragma once

namespace tessary {

// A core dump would hold the master password and the deciphered keys; both programs turn them off first thing.
void disableCoreDumps();

} // namespace tessary
