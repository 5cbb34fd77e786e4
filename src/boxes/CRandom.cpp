// The linear congruential generator: state = state * 214013 + 2531011
// (mod 2^32), each draw yielding bits 16 to 30 of the new state.
#include "boxes/CRandom.h"

namespace velmora {

int32_t CRandom::next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int32_t>((state_ >> 16) & 0x7FFFu);
}

}  // namespace velmora
