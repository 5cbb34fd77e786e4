// What an author needs to know of a music module to place a show on it: its
// title and format, its length, and where each order of the song begins.
#pragma once

#include <string>
#include <vector>

namespace velmora {

struct ModuleOrder {
    int pattern = 0;       // -1 for a marker entry that names no pattern ("+++" skip, "---" end)
    int rows = 0;          // rows of that pattern
    double start = 0.0;    // seconds from the song's start to the order's first row (libopenmpt's reckoning)
};

struct ModuleInfo {
    std::string title;
    std::string format;      // short type ("xm") and long name
    std::string formatName;
    double seconds = 0.0;    // the song's length, to its end or its loop
    int channels = 0;
    std::vector<ModuleOrder> orders;
};

// Reads the module at `path`. False, with the reason in `error`, when it cannot
// be read or is not a module.
bool readModuleInfo(const char* path, ModuleInfo& info, std::string& error);

}  // namespace velmora
