// Small helpers the host tests share: whole files as bytes (from the helpers
// every test shares), little-endian fields.
#pragma once

#include <cstdint>
#include <string>

#include "TestSupport.h"

namespace velmora::hosttest {

using testsupport::readFile;

inline uint32_t le32(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 | static_cast<uint8_t>(b[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

}  // namespace velmora::hosttest
