// The C library's rand() as the show depends on it: never seeded, so every
// show gives the same particle layout. One sequence per show, shared by its
// particle boxes in the order they draw.
#pragma once

#include <cstdint>

namespace velmora {

class CRandom {
public:
    // Next number of the sequence, 0 to 32767.
    int32_t next();

private:
    uint32_t state_ = 1;  // the unseeded start
};

}  // namespace velmora
