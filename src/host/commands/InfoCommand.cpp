// `velmora info`: the module described as a small table.
#include "host/commands/InfoCommand.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "core/MissingFile.h"
#include "platform/ModuleInfo.h"

namespace velmora {

namespace {
// "3:02.400"
std::string minutesAndSeconds(double seconds) {
    const long long millis = std::llround(seconds * 1000.0);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%03lld", millis / 60000, millis / 1000 % 60, millis % 1000);
    return text;
}
}  // namespace

CommandOutcome runInfo(const InfoOptions& options) {
    const std::string& music = options.music;
    ModuleInfo info;
    std::string error;
    if (!readModuleInfo(music.c_str(), info, error)) {
        std::error_code ec;
        if (!std::filesystem::exists(music, ec) && !ec) error = describeMissingFile();  // names the working directory
        return CommandOutcome::failed("'" + music + "': " + error);
    }
    std::printf("file:     %s\n", music.c_str());
    std::printf("title:    %s\n", info.title.c_str());
    std::printf("format:   %s (%s)\n", info.format.c_str(), info.formatName.c_str());
    std::printf("length:   %s (%.3f s)\n", minutesAndSeconds(info.seconds).c_str(), info.seconds);
    std::printf("orders:   %zu\n", info.orders.size());
    std::printf("channels: %d\n", info.channels);
    std::printf("\norder  pattern  rows  start\n");
    for (size_t i = 0; i < info.orders.size(); ++i) {
        const ModuleOrder& order = info.orders[i];
        if (order.pattern < 0) {
            std::printf("%5zu        -     -  (no pattern)\n", i);
            continue;
        }
        std::printf("%5zu  %7d  %4d  %s (%.3f s)\n", i, order.pattern, order.rows,
                    minutesAndSeconds(order.start).c_str(), order.start);
    }
    return {};
}

}  // namespace velmora
