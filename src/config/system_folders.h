// The six special folders that path placeholders of seek strings stand for.
#pragma once

#include <string>

namespace lumo {

class Shell;
class RegistryApi;

struct SpecialFolders {
    std::string WindowsDir;
    std::string SystemDir;
    std::string TemporaryDir;
    std::string UserProfileDir;
    std::string AppDataDir;
    std::string ProgramFilesDir;
};

// Fills the six folders from the shell, falling back to the per-user Shell Folders key and then
// to folders derived from the Windows folder. A step that fails leaves its folder as it was;
// never fails. Either source may be null (the steps that need it are skipped).
void InitSpecialFolders(SpecialFolders& folders, Shell* shell, RegistryApi* registry);

}  // namespace lumo
