// readModuleInfo: a module loaded only to be described.
#include "platform/ModuleInfo.h"

#include "platform/ModuleStream.h"

namespace velmora {

bool readModuleInfo(const char* path, ModuleInfo& info, std::string& error) {
    ModuleStream stream;
    switch (stream.load(path)) {
    case ModuleStream::kUnreadable:
        error = "cannot read it";
        return false;
    case ModuleStream::kNotAModule:
        error = "not a module libopenmpt can play";
        return false;
    case ModuleStream::kLoaded:
        break;
    }
    info = stream.describe();
    return true;
}

}  // namespace velmora
