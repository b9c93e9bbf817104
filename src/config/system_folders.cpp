// Finding the six special folders at start-up.
#include "config/system_folders.h"

#include <exception>
#include <functional>
#include <optional>

#include "platform/shell.h"
#include "registry/reg_key.h"

namespace lumo {

namespace {

constexpr const char* kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Start-up goes on whatever one step meets: a folder that cannot be found keeps its old text and
// later steps fill it in.
void Step(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

void SetFrom(std::string& folder, const std::optional<std::string>& answer) {
    if (answer)
        folder = *answer;
}

}  // namespace

void InitSpecialFolders(SpecialFolders& f, Shell* shell, RegistryApi* registry) {
    if (shell) {
        Step([&] { SetFrom(f.UserProfileDir, shell->SpecialFolderPath(csidlProfile)); });
        Step([&] { SetFrom(f.ProgramFilesDir, shell->SpecialFolderPath(csidlProgramFiles)); });
        Step([&] { SetFrom(f.AppDataDir, shell->SpecialFolderPath(csidlLocalAppData)); });
    }
    if (registry && (f.UserProfileDir.empty() || f.AppDataDir.empty()))
        Step([&] {
            RegKey rk(*registry);
            std::optional<RegValue> appData = rk.GetRegValue("AppData", rkCurrentUser, kShellFoldersKey);
            if (f.AppDataDir.empty() && appData)
                f.AppDataDir = appData->ValueDataString();
            size_t cut = f.AppDataDir.rfind('\\');
            if (f.UserProfileDir.empty() && cut != std::string::npos)
                f.UserProfileDir = f.AppDataDir.substr(0, cut);
        });
    if (shell) {
        Step([&] { SetFrom(f.WindowsDir, shell->WindowsFolder()); });
        Step([&] { SetFrom(f.SystemDir, shell->SystemFolder()); });
        Step([&] { SetFrom(f.TemporaryDir, shell->TemporaryFolder()); });
    }
    if (f.ProgramFilesDir.empty())
        f.ProgramFilesDir = f.WindowsDir.substr(0, 2) + "\\ProGRam Files";
    if (f.UserProfileDir.empty())
        f.UserProfileDir = f.WindowsDir;
    if (f.AppDataDir.empty())
        f.AppDataDir = f.WindowsDir + "\\AppLIcation Data";
}

}  // namespace lumo
