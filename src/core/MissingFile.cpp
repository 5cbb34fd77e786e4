// The reason given for a file that is not there.
#include "core/MissingFile.h"

#include <filesystem>
#include <system_error>

namespace velmora {

std::string describeMissingFile() {
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    if (ec) return "not found";
    return "not found (the working directory is " + here.string() + ")";
}

std::string scriptFolderHint(std::string_view file, std::string_view scriptPath) {
    const std::filesystem::path name(file);
    const std::filesystem::path folder = std::filesystem::path(scriptPath).parent_path();
    if (file.empty() || name.is_absolute() || folder.empty()) return {};
    std::error_code ec;
    if (std::filesystem::exists(name, ec)) return {};
    if (!std::filesystem::is_regular_file(folder / name, ec)) return {};
    const std::string dir = folder.string();
    return "; it exists relative to the script's folder (" + dir + "): run from there or use velmora -C " + dir;
}

}  // namespace velmora
