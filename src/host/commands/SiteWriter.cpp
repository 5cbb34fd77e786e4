// Writing the web site: a hidden folder of fresh files, given the target's
// place by one rename. Texts are built by appending: GCC 12 misreads
// `"text" + std::string` as an overlapping copy.
#include "host/commands/SiteWriter.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#include "core/AtomicFile.h"
#include "core/RegularFile.h"

namespace fs = std::filesystem;

namespace velmora {

namespace {

// What marks a folder as a site of ours: the player's page and the show's list.
constexpr const char* kSiteMarks[] = {"index.html", "show.txt"};

std::string systemError(const std::string& what, const fs::path& path) {
    return std::string("cannot ").append(what).append(" '").append(path.string()).append("': ").append(std::strerror(errno));
}

// The name as it would be typed in C: a control character spelt out.
std::string shown(const std::string& name) {
    std::string text;
    for (const char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '\n') text += "\\n";
        else if (c == '\t') text += "\\t";
        else if (c == '\r') text += "\\r";
        else if (u < 0x20 || u == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            text += hex;
        } else text += c;
    }
    return text;
}

// `inner` is `outer` or lies inside it (both absolute, without . or ..).
bool within(const fs::path& inner, const fs::path& outer) {
    const fs::path relative = inner.lexically_relative(outer);
    return !relative.empty() && *relative.begin() != "..";
}

// The absolute place `out` names, its last part not followed.
fs::path placeOf(const fs::path& out) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(out, ec).lexically_normal();
    fs::path parent = absolute.parent_path();
    fs::path name = absolute.filename();
    if (name.empty()) {  // "site/" names "site"
        name = parent.filename();
        parent = parent.parent_path();
    }
    const fs::path real = fs::weakly_canonical(parent, ec);
    return (ec ? parent : real) / name;
}

bool isSiteOfOurs(const fs::path& folder) {
    for (const char* mark : kSiteMarks) {
        struct stat info {};
        if (::lstat((folder / mark).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    }
    return true;
}

// ".NAME.velmora.RANDOM.part" beside `place`, made now.
std::string makeHiddenFolder(const fs::path& place, fs::path& made) {
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "%08x%08x", random(), random());
        made = place.parent_path() / (std::string(".").append(place.filename().string()).append(".velmora.").append(suffix).append(".part"));
        if (::mkdir(made.c_str(), 0777) == 0) return {};
        if (errno != EEXIST) break;
    }
    return systemError("create a folder beside", place);
}

// The folders of `name` inside the fresh `root`: created here, so none is a link.
std::string makeFolders(const fs::path& root, const fs::path& name) {
    fs::path folder = root;
    for (const fs::path& part : name.parent_path()) {
        folder /= part;
        if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return systemError("create", folder);
    }
    return {};
}

// `bytes` (or the file `from`) as `to`, through a temporary renamed into place.
std::string writeFile(const fs::path& to, const fs::path* from, const std::string& bytes) {
    AtomicFile file(to.string());
    if (file.tempPath().empty()) return std::string("cannot write '").append(to.string()).append("': ").append(file.openError());
    const int out = ::open(file.tempPath().c_str(), O_WRONLY | O_CLOEXEC);
    if (out < 0) return systemError("write", to);
    int in = -1;
    if (from) {
        FileReadOutcome outcome;
        in = openRegularFile(from->c_str(), outcome);
        if (in < 0) {
            ::close(out);
            const std::string why = describeNotRegular(outcome);
            return why.empty() ? systemError("read", *from) : std::string("'").append(from->string()).append("' ").append(why);
        }
    }
    std::string error;
    auto put = [&](const char* data, size_t size) {
        while (size > 0 && error.empty()) {
            const ssize_t n = ::write(out, data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) error = systemError("write", to);
            else data += n, size -= static_cast<size_t>(n);
        }
    };
    if (from) {
        char chunk[65536];
        for (;;) {
            const ssize_t n = ::read(in, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) error = systemError("read", *from);
            if (n <= 0 || !error.empty()) break;
            put(chunk, static_cast<size_t>(n));
        }
        ::close(in);
    } else {
        put(bytes.data(), bytes.size());
    }
    if (::close(out) != 0 && error.empty()) error = systemError("write", to);
    std::string commitError;
    if (error.empty() && !file.commit(commitError)) error = std::string("cannot write '").append(to.string()).append("': ").append(commitError);
    return error;
}

// The new site takes the place of `place`: swapped with an earlier site in one
// step where the system can, the earlier one then removed.
std::string putInPlace(const fs::path& built, const fs::path& place) {
    struct stat info {};
    if (::lstat(place.c_str(), &info) != 0) {
        if (::rename(built.c_str(), place.c_str()) != 0) return systemError("create", place);
        return {};
    }
    std::error_code ec;
    if (::renameat2(AT_FDCWD, built.c_str(), AT_FDCWD, place.c_str(), RENAME_EXCHANGE) == 0) {
        fs::remove_all(built, ec);  // now the earlier site
        return {};
    }
    // No exchange on this file system: the earlier site steps aside first.
    fs::path aside;
    if (std::string error = makeHiddenFolder(place, aside); !error.empty()) return error;
    if (::rename(place.c_str(), aside.c_str()) != 0) {
        const std::string error = systemError("replace", place);
        fs::remove(aside, ec);
        return error;
    }
    if (::rename(built.c_str(), place.c_str()) != 0) {
        const std::string error = systemError("create", place);
        ::rename(aside.c_str(), place.c_str());
        return error;
    }
    fs::remove_all(aside, ec);
    return {};
}

}  // namespace

std::string siteNameRefusal(const std::string& name) {
    for (const char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            return std::string("'").append(shown(name)).append(
                "' has a control character in its name; a site's list of files cannot hold it");
    }
    return {};
}

std::string siteOutputRefusal(const fs::path& out, const fs::path& showFolder, const std::vector<std::string>& showFiles) {
    const std::string named = std::string("'").append(shown(out.string())).append("'");
    if (const std::string why = siteNameRefusal(out.string()); !why.empty()) return why;
    const fs::path place = placeOf(out);
    struct stat info {};
    const bool exists = ::lstat(place.c_str(), &info) == 0;
    if (exists && S_ISLNK(info.st_mode)) return named + " is a link; a site is written only into a folder of its own";
    if (exists && !S_ISDIR(info.st_mode)) return named + " is not a folder";
    if (within(showFolder, place))
        return named + (place == showFolder ? " is the show's own folder" : " holds the show's folder") +
               "; write the site into a folder of its own";
    std::error_code ec;
    for (const std::string& file : showFiles) {
        const fs::path real = fs::weakly_canonical(showFolder / file, ec);
        if (!ec && within(real, place))
            return named + " holds '" + shown(file) + "', which the show reads; write the site into a folder of its own";
    }
    if (exists && !fs::is_empty(place, ec) && !isSiteOfOurs(place))
        return named + " is a folder that is neither empty nor a site `velmora web` wrote; give a new or empty folder";
    return {};
}

std::string writeSite(const fs::path& out, const fs::path& player, const std::vector<std::string>& playerFiles,
                      const std::vector<std::string>& showFiles, const std::string& listing,
                      const std::string& watchStamp) {
    const fs::path place = placeOf(out);
    std::error_code ec;
    fs::create_directories(place.parent_path(), ec);
    fs::path built;
    if (std::string error = makeHiddenFolder(place, built); !error.empty()) return error;
    std::string error;
    for (const std::string& file : playerFiles) {
        const fs::path from = player / file;
        if (error.empty()) error = writeFile(built / file, &from, {});
    }
    for (const std::string& file : showFiles) {
        const fs::path name = fs::path("show") / file;
        const fs::path from(file);
        if (error.empty()) error = makeFolders(built, name);
        if (error.empty()) error = writeFile(built / name, &from, {});
    }
    if (error.empty()) error = writeFile(built / "show.txt", nullptr, listing);
    if (error.empty() && !watchStamp.empty()) error = writeFile(built / "watch.txt", nullptr, watchStamp);
    if (error.empty()) error = putInPlace(built, place);
    if (!error.empty()) {
        fs::remove_all(built, ec);
        // The hidden folder's name in a message stands for the site's own.
        for (size_t at = error.find(built.string()); at != std::string::npos; at = error.find(built.string(), at))
            error.replace(at, built.string().size(), out.string());
    }
    return error;
}

}  // namespace velmora
