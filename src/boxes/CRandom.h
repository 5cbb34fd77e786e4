// The C library's rand() as the show depends on it: one process-wide sequence,
// never seeded, so every run gives the same particle layout.
#pragma once

#include <cstdint>

namespace velmora {

// Next number of the sequence, 0 to 32767.
int32_t cRandom();
// Back to the unseeded start (state 1); for a fresh run in tests.
void resetCRandom();

}  // namespace velmora
