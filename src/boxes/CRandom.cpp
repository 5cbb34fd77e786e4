// The process-wide linear congruential generator: state = state * 214013 + 2531011
// (mod 2^32), each draw yielding bits 16 to 30 of the new state.
#include "boxes/CRandom.h"

namespace velmora {

namespace {
uint32_t state = 1;
}

int32_t cRandom() {
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 0x7FFFu);
}

void resetCRandom() { state = 1; }

}  // namespace velmora
