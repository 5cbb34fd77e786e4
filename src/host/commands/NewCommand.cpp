// Making a new show folder from the command line: built whole in a hidden
// folder beside it and renamed into place, so a failure (a full disk) leaves
// nothing and a second try starts clean.
#include "host/commands/NewCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <system_error>

#include "showkit/NewShow.h"

namespace velmora {

namespace {

namespace fs = std::filesystem;

CommandOutcome refuse(const std::string& error) { return CommandOutcome::failed(error); }

// ".NAME.velmora.RANDOM.part" beside `dir`, created now (mkdir never reuses a
// name). Nothing sweeps such folders: a run killed outright leaves its hidden
// folder for the user to see, rather than a sweep guessing what is whose.
std::optional<fs::path> makeTemporaryFolder(const fs::path& dir, std::string& error) {
    const fs::path parent = dir.parent_path().empty() ? fs::path(".") : dir.parent_path();
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "%08x%08x", random(), random());
        std::string name(".");
        name.append(dir.filename().string()).append(".velmora.").append(suffix).append(".part");
        const fs::path temp = parent / name;
        if (::mkdir(temp.c_str(), 0777) == 0) return temp;
        if (errno != EEXIST) break;
    }
    error = "cannot create " + dir.string() + ": " + std::strerror(errno);
    return std::nullopt;
}

// The temporary folder's name in a message stands for the show's own.
std::string named(std::string message, const fs::path& temp, const fs::path& dir) {
    const std::string from = temp.string();
    for (size_t at = message.find(from); at != std::string::npos; at = message.find(from, at))
        message.replace(at, from.size(), dir.string());
    return message;
}

}  // namespace

std::string newShowHint(const std::string& dir) {
    return "cd " + dir + " && velmora " + kNewShowArguments + " (without --mute to hear it)";
}

CommandOutcome runNew(const NewOptions& options) {
    fs::path dir(options.dir);
    while (dir.has_parent_path() && !dir.has_filename()) dir = dir.parent_path();  // "show/" names "show"
    std::error_code ec;
    // A folder in the way is refused as it always was, before anything is made.
    if (fs::exists(dir, ec)) {
        if (!fs::is_directory(dir, ec) || !fs::is_empty(dir, ec) || ec) return refuse(writeNewShow(dir));
    }
    const fs::path parent = dir.parent_path().empty() ? fs::path(".") : dir.parent_path();
    fs::create_directories(parent, ec);

    std::string error;
    const std::optional<fs::path> temp = makeTemporaryFolder(dir, error);
    if (!temp) return refuse(error);
    error = writeNewShow(*temp);
    // rename() takes the place of an empty folder, never of a full one.
    if (error.empty() && std::rename(temp->c_str(), dir.c_str()) != 0)
        error = "cannot create " + dir.string() + ": " + std::strerror(errno);
    if (!error.empty()) {
        fs::remove_all(*temp, ec);
        return refuse(named(error, *temp, dir));
    }
    std::printf("A new show is in %s: %s\n", options.dir.c_str(), newShowHint(options.dir).c_str());
    return {};
}

}  // namespace velmora
