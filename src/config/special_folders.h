// The six special folders that path placeholders of seek strings stand for.
#pragma once

#include <string>

namespace lumo {

struct SpecialFolders {
    std::string WindowsDir;
    std::string SystemDir;
    std::string TemporaryDir;
    std::string UserProfileDir;
    std::string AppDataDir;
    std::string ProgramFilesDir;
};

}  // namespace lumo
