// ContainedImport: fork, limit, import, write the scene to the pipe; the
// parent reads it with a deadline and tells how the child ended.
#include "meshconvert/ContainedImport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>
#include <type_traits>

namespace velmora {

namespace {

// The sanitizers reserve terabytes of address space at start: under them an
// address-space limit would stop every import.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSpaceLimited = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kAddressSpaceLimited = false;
#else
constexpr bool kAddressSpaceLimited = true;
#endif
#else
constexpr bool kAddressSpaceLimited = true;
#endif

enum ChildReport : uint8_t { kRead = 0, kNotRead = 1, kOutOfMemory = 2 };

class Writer {
public:
    template <class T>
    void value(const T& v) {
        static_assert(std::is_trivially_copyable_v<T>);
        raw(&v, sizeof v);
    }
    void text(const std::string& s) {
        value<uint64_t>(s.size());
        raw(s.data(), s.size());
    }
    void raw(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
    std::vector<uint8_t> bytes;
};

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    template <class T>
    bool value(T& v) {
        return raw(&v, sizeof v);
    }
    bool text(std::string& s) {
        uint64_t size = 0;
        if (!value(size) || size > left()) return false;
        s.assign(reinterpret_cast<const char*>(bytes_.data() + at_), size);
        at_ += size;
        return true;
    }
    bool raw(void* data, size_t size) {
        if (size > left()) return false;
        if (size == 0) return true;  // an empty list's storage may be null
        std::memcpy(data, bytes_.data() + at_, size);
        at_ += size;
        return true;
    }
    size_t left() const { return bytes_.size() - at_; }

private:
    const std::vector<uint8_t>& bytes_;
    size_t at_ = 0;
};

bool writeAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

[[noreturn]] void runChild(const std::string& path, const ImportLimits& limits, int out) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives the command
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGPIPE, SIG_DFL);
    // The pipe is the only way out: the library's and the runtime's own
    // reports of a crash would break the one-line message.
    const int quiet = ::open("/dev/null", O_WRONLY);
    if (quiet >= 0) ::dup2(quiet, STDERR_FILENO), ::dup2(quiet, STDOUT_FILENO);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);  // a crash here is expected, not a bug to keep
    const rlim_t seconds = static_cast<rlim_t>(limits.seconds);
    const rlimit cpu{seconds, seconds + 1};
    ::setrlimit(RLIMIT_CPU, &cpu);
    if (kAddressSpaceLimited) {
        const rlim_t bytes = static_cast<rlim_t>(limits.memoryMiB) << 20;
        const rlimit memory{bytes, bytes};
        ::setrlimit(RLIMIT_AS, &memory);
    }
    Writer report;
    try {
        std::string error;
        const std::optional<SceneRead> scene = readScene(path, error);
        // The importers catch what they throw, memory running out included.
        const bool outOfMemory = !scene && error.find("bad_alloc") != std::string::npos;
        report.value(scene ? kRead : outOfMemory ? kOutOfMemory : kNotRead);
        if (scene) {
            const std::vector<uint8_t> bytes = encodeScene(*scene);
            report.raw(bytes.data(), bytes.size());
        } else if (!outOfMemory) {
            report.text(error);
        }
    } catch (const std::bad_alloc&) {
        report.bytes.assign(1, kOutOfMemory);
    }
    const bool sent = writeAll(out, report.bytes.data(), report.bytes.size());
    ::_exit(sent ? 0 : 3);
}

std::string limitName(uint64_t mib) {
    if (mib % 1024 == 0) return std::to_string(mib / 1024) + " GiB";
    return std::to_string(mib) + " MiB";
}

std::string memoryRefusal(const ImportLimits& limits) {
    return "needs more memory than the limit of " + limitName(limits.memoryMiB) +
           " (--memory-limit MIB raises it for a mesh that really is that large)";
}

std::string timeRefusal(const ImportLimits& limits) {
    return "not read within the time limit of " + std::to_string(limits.seconds) + " s";
}

}  // namespace

std::vector<uint8_t> encodeScene(const SceneRead& scene) {
    Writer w;
    w.text(scene.format);
    w.value(scene.meshes);
    w.value(scene.dropped);
    w.value<uint64_t>(scene.layers.size());
    for (const SceneLayer& layer : scene.layers) {
        w.text(layer.name);
        w.value(layer.firstMesh);
        w.value(layer.pointsRead);
        w.value(layer.polygons);
        w.value<uint64_t>(layer.corners.size());
        w.raw(layer.corners.data(), layer.corners.size() * sizeof(Float3));
    }
    return std::move(w.bytes);
}

std::optional<SceneRead> decodeScene(const std::vector<uint8_t>& bytes) {
    Reader r(bytes);
    SceneRead scene;
    uint64_t layers = 0;
    if (!r.text(scene.format) || !r.value(scene.meshes) || !r.value(scene.dropped) || !r.value(layers))
        return std::nullopt;
    for (uint64_t k = 0; k < layers; ++k) {
        SceneLayer layer;
        uint64_t corners = 0;
        if (!r.text(layer.name) || !r.value(layer.firstMesh) || !r.value(layer.pointsRead) ||
            !r.value(layer.polygons) || !r.value(corners) || corners > r.left() / sizeof(Float3))
            return std::nullopt;
        layer.corners.resize(corners);
        r.raw(layer.corners.data(), corners * sizeof(Float3));
        scene.layers.push_back(std::move(layer));
    }
    if (r.left() != 0) return std::nullopt;
    return scene;
}

std::optional<SceneRead> readSceneContained(const std::string& path, const ImportLimits& limits, std::string& error) {
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        error = std::string("not read: ") + std::strerror(errno);
        return std::nullopt;
    }
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t child = ::fork();
    if (child < 0) {
        error = std::string("not read: ") + std::strerror(errno);
        ::close(channel[0]);
        ::close(channel[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(channel[0]);
        runChild(path, limits, channel[1]);
    }
    ::close(channel[1]);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.seconds);
    std::vector<uint8_t> bytes;
    bool late = false;
    uint8_t chunk[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            late = true;
            break;
        }
        pollfd wait{channel[0], POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(std::min<int64_t>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        const ssize_t n = ::read(channel[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    ::close(channel[0]);
    if (late) ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    if (late) {
        error = timeRefusal(limits);
        return std::nullopt;
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        if (signal == SIGXCPU || signal == SIGKILL) error = timeRefusal(limits);
        else if (signal == SIGABRT)
            error = "the importer gave up on it (" + memoryRefusal(limits) + ", or damaged data)";
        else
            error = std::string("the importer crashed on it (") + strsignal(signal) +
                    "): damaged data or a structure too deep";
        return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || bytes.empty()) {
        error = "the importer ended without an answer (damaged data or a structure too deep)";
        return std::nullopt;
    }
    if (bytes[0] == kOutOfMemory) {
        error = memoryRefusal(limits);
        return std::nullopt;
    }
    const std::vector<uint8_t> rest(bytes.begin() + 1, bytes.end());
    if (bytes[0] == kNotRead) {
        Reader r(rest);
        if (!r.text(error)) error = "not read";
        return std::nullopt;
    }
    std::optional<SceneRead> scene = decodeScene(rest);
    if (!scene) error = "the importer's answer came back damaged";
    return scene;
}

}  // namespace velmora
