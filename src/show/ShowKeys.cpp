// The key table.
#include "show/ShowKeys.h"

namespace velmora {

namespace {

struct KeyCommand {
    std::string_view key;
    ShowCommand command;
};

constexpr KeyCommand kKeys[] = {
    {"Escape", ShowCommand::Quit},       {"Enter", ShowCommand::Screenshot},  {"F5", ShowCommand::Reload},
    {"ArrowLeft", ShowCommand::OrderBack}, {"ArrowRight", ShowCommand::OrderOn}, {"ArrowUp", ShowCommand::RowBack},
    {"ArrowDown", ShowCommand::RowOn},   {"l", ShowCommand::Loop},            {"L", ShowCommand::Loop},
    {" ", ShowCommand::Pause},           {"F1", ShowCommand::Overlay},        {"f", ShowCommand::FullScreen},
    {"F", ShowCommand::FullScreen},
};

}  // namespace

ShowCommand commandForKey(std::string_view key) {
    for (const KeyCommand& entry : kKeys)
        if (entry.key == key) return entry.command;
    return ShowCommand::None;
}

}  // namespace velmora
