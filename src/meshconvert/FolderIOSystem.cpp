// FolderIOSystem: every name checked before it is opened, and opened without
// waiting (a FIFO would block the open itself).
#include "meshconvert/FolderIOSystem.h"

#include <assimp/DefaultIOStream.h>
#include <assimp/MemoryIOWrapper.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <filesystem>
#include <system_error>

namespace velmora {

namespace {

namespace fs = std::filesystem;

class FileStream : public Assimp::DefaultIOStream {
public:
    FileStream(std::FILE* file, const std::string& name) : DefaultIOStream(file, name) {}
};

bool writes(const char* mode) {
    for (const char* c = mode; c && *c; ++c)
        if (*c == 'w' || *c == 'a' || *c == '+') return true;
    return false;
}


}  // namespace

FolderIOSystem::FolderIOSystem(const std::string& meshPath) : meshPath_(meshPath) {
    std::error_code ec;
    const fs::path folder = fs::path(meshPath).parent_path();
    folder_ = fs::weakly_canonical(folder.empty() ? fs::path(".") : folder, ec).string();
}

FolderIOSystem::FolderIOSystem(std::string name, std::span<const uint8_t> bytes)
    : meshPath_(std::move(name)), memory_(bytes), inMemory_(true) {}

std::string FolderIOSystem::problemWith(const std::string& file) const {
    if (inMemory_) return file == meshPath_ ? std::string() : "'" + file + "' is not part of the mesh";
    const fs::path path(file);
    if (file != meshPath_) {
        // A link out of the folder counts as outside it: the check is on where the name leads.
        std::error_code ec;
        const fs::path real = fs::weakly_canonical(path, ec);
        const fs::path relative = ec ? fs::path("..") : real.lexically_relative(folder_);
        if (relative.empty() || *relative.begin() == ".." || relative.is_absolute())
            return "'" + file + "' is outside the mesh's folder";
    }
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return {};  // the importer tells it is missing
    if (!S_ISREG(info.st_mode)) return "'" + file + "' is not a regular file";
    return {};
}

bool FolderIOSystem::Exists(const char* file) const {
    if (!file || !problemWith(file).empty()) return false;
    if (inMemory_) return true;
    struct stat info {};
    return ::stat(file, &info) == 0;
}

Assimp::IOStream* FolderIOSystem::Open(const char* file, const char* mode) {
    if (!file || writes(mode)) return nullptr;
    const std::string problem = problemWith(file);
    if (!problem.empty()) {
        if (refusal_.empty()) refusal_ = problem;
        return nullptr;
    }
    if (inMemory_) return new Assimp::MemoryIOStream(memory_.data(), memory_.size());
    // O_NONBLOCK: a FIFO swapped in after the check opens at once instead of
    // waiting for a writer, and is refused by the check on the open file.
    const int fd = ::open(file, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        if (refusal_.empty()) refusal_.append("'").append(file).append("' is not a regular file");
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* stream = ::fdopen(fd, "rb");
    if (!stream) {
        ::close(fd);
        return nullptr;
    }
    return new FileStream(stream, file);
}

void FolderIOSystem::Close(Assimp::IOStream* stream) { delete stream; }

}  // namespace velmora
