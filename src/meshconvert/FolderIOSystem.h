// What the importer may read: regular files inside the mesh's own folder,
// never a path that climbs out of it, an absolute path elsewhere, a link
// out, a FIFO or a device. Or, for a mesh held in memory, that one file.
#pragma once

#include <assimp/IOSystem.hpp>

#include <cstdint>
#include <span>
#include <string>

namespace velmora {

class FolderIOSystem : public Assimp::IOSystem {
public:
    // Files of the folder that holds `meshPath`, the mesh itself included.
    explicit FolderIOSystem(const std::string& meshPath);
    // Only `name`, whose bytes are `bytes` (kept by the caller); nothing else.
    FolderIOSystem(std::string name, std::span<const uint8_t> bytes);

    bool Exists(const char* file) const override;
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char* file, const char* mode = "rb") override;
    void Close(Assimp::IOStream* stream) override;

    // The first file refused, and why, in words ("'../x.bin' is outside the
    // mesh's folder"); empty when none was.
    const std::string& refusal() const { return refusal_; }

private:
    // Why `file` may not be read, or empty when it may.
    std::string problemWith(const std::string& file) const;

    std::string meshPath_;
    std::string folder_;  // canonical
    std::span<const uint8_t> memory_;
    bool inMemory_ = false;
    std::string refusal_;
};

}  // namespace velmora
