#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "config/system_folders.h"
#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_shell.h"
#include "registry/reg_key.h"

namespace lumo {
namespace {

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

PortableShell WindowsLikeShell() {
    PortableShell shell;
    shell.specialFolders = {{csidlProfile, std::string("C:\\Users\\me")},
                            {csidlProgramFiles, std::string("C:\\Program Files")},
                            {csidlLocalAppData, std::string("C:\\Users\\me\\AppData\\Local")}};
    shell.windows = "C:\\WINDOWS";
    shell.system = "C:\\WINDOWS\\system32";
    shell.temporary = "C:\\Users\\me\\Temp";
    return shell;
}

// What the shell and the registry lack, and what the folders end as.
TEST(InitSpecialFolders, TakesTheFoldersFromTheShellAndFillsTheGaps) {
    struct Case {
        const char* what;
        bool shellHasProfile, shellHasProgramFiles, shellHasAppData;
        const char* registryAppData;  // null: no value
        std::string windows, profile, programFiles, appData;
    };
    const Case cases[] = {
        {"everything from the shell", true, true, true, "C:\\Elsewhere", "C:\\WINDOWS", "C:\\Users\\me",
         "C:\\Program Files", "C:\\Users\\me\\AppData\\Local"},
        {"Program Files on the Windows drive", true, false, true, nullptr, "D:\\WINNT", "C:\\Users\\me",
         "D:\\ProGRam Files", "C:\\Users\\me\\AppData\\Local"},
        {"profile and AppData from the registry", false, true, false, "C:\\Docs\\me\\Application Data", "C:\\WINDOWS",
         "C:\\Docs\\me", "C:\\Program Files", "C:\\Docs\\me\\Application Data"},
        {"profile from the shell's AppData", false, true, true, "C:\\Elsewhere\\x", "C:\\WINDOWS",
         "C:\\Users\\me\\AppData", "C:\\Program Files", "C:\\Users\\me\\AppData\\Local"},
        {"the Windows folder when nothing else", false, false, false, nullptr, "C:\\WINDOWS", "C:\\WINDOWS",
         "C:\\ProGRam Files", "C:\\WINDOWS\\AppLIcation Data"},
        {"AppData without a backslash gives no profile", false, true, false, "NoBackslash", "E:\\W", "E:\\W",
         "C:\\Program Files", "NoBackslash"},
    };
    for (const Case& c : cases) {
        PortableShell shell = WindowsLikeShell();
        shell.windows = c.windows;
        if (!c.shellHasProfile)
            shell.specialFolders[csidlProfile] = std::string();  // an empty answer
        if (!c.shellHasProgramFiles)
            shell.specialFolders.erase(csidlProgramFiles);  // a failure
        if (!c.shellHasAppData)
            shell.specialFolders[csidlLocalAppData] = std::nullopt;
        MemoryRegistry registry;
        if (c.registryAppData)
            RegKey(registry).SetRegValue("AppData", rvtString, std::string(c.registryAppData), rkCurrentUser,
                                         kShellFolders);
        SpecialFolders f;
        InitSpecialFolders(f, &shell, &registry);
        EXPECT_EQ(std::tie(f.UserProfileDir, f.ProgramFilesDir, f.AppDataDir, f.WindowsDir),
                  std::tie(c.profile, c.programFiles, c.appData, c.windows))
            << c.what;
        EXPECT_EQ(f.SystemDir + "|" + f.TemporaryDir, "C:\\WINDOWS\\system32|C:\\Users\\me\\Temp") << c.what;
    }
}

TEST(InitSpecialFolders, AFailingStepKeepsTheFolderItHadAndTheRestGoOn) {
    PortableShell shell = WindowsLikeShell();
    shell.windows = std::nullopt;
    shell.temporary = std::nullopt;
    shell.specialFolders[csidlProfile] = std::string();
    shell.specialFolders[csidlLocalAppData] = std::string();
    MemoryRegistry registry;
    RegKey(registry).SetRegValue("AppData", rvtString, std::string("C:\\Docs\\me\\Application Data"), rkCurrentUser,
                                 kShellFolders);
    registry.FailNext(MemoryRegistry::Op::OpenKey, 5);
    SpecialFolders f;
    f.WindowsDir = "F:\\OLD";
    f.TemporaryDir = "F:\\TMP";
    InitSpecialFolders(f, &shell, &registry);
    EXPECT_EQ(f.WindowsDir, "F:\\OLD");
    EXPECT_EQ(f.TemporaryDir, "F:\\TMP");
    EXPECT_EQ(f.SystemDir, "C:\\WINDOWS\\system32");
    EXPECT_EQ(f.UserProfileDir, "F:\\OLD") << "the registry could not be read";
    EXPECT_EQ(f.AppDataDir, "F:\\OLD\\AppLIcation Data");
}

TEST(InitSpecialFolders, WithoutShellOrRegistryEndsWithTheFallbacks) {
    SpecialFolders f;
    InitSpecialFolders(f, nullptr, nullptr);
    EXPECT_EQ(f.ProgramFilesDir, "\\ProGRam Files");
    EXPECT_EQ(f.UserProfileDir, "");
    EXPECT_EQ(f.AppDataDir, "\\AppLIcation Data");
}

}  // namespace
}  // namespace lumo
