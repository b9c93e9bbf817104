#include <gtest/gtest.h>

#include <string>

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

TEST(InitSpecialFolders, TakesEveryFolderFromTheShell) {
    PortableShell shell = WindowsLikeShell();
    MemoryRegistry registry;
    SpecialFolders f;
    InitSpecialFolders(f, &shell, &registry);
    EXPECT_EQ(f.UserProfileDir, "C:\\Users\\me");
    EXPECT_EQ(f.ProgramFilesDir, "C:\\Program Files");
    EXPECT_EQ(f.AppDataDir, "C:\\Users\\me\\AppData\\Local");
    EXPECT_EQ(f.WindowsDir, "C:\\WINDOWS");
    EXPECT_EQ(f.SystemDir, "C:\\WINDOWS\\system32");
    EXPECT_EQ(f.TemporaryDir, "C:\\Users\\me\\Temp");
}

// What the shell and the registry lack, and what the folders end as.
struct Fallback {
    const char* what;
    bool shellHasProfile, shellHasProgramFiles, shellHasAppData;
    const char* registryAppData;  // null: no value
    const char* windows;
    const char* profile;
    const char* programFiles;
    const char* appData;
};

class InitSpecialFoldersFallback : public ::testing::TestWithParam<Fallback> {};

TEST_P(InitSpecialFoldersFallback, FillsTheGaps) {
    const Fallback& c = GetParam();
    PortableShell shell = WindowsLikeShell();
    shell.windows = std::string(c.windows);
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
    EXPECT_EQ(f.UserProfileDir, c.profile);
    EXPECT_EQ(f.ProgramFilesDir, c.programFiles);
    EXPECT_EQ(f.AppDataDir, c.appData);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InitSpecialFoldersFallback,
    ::testing::Values(Fallback{"ProgramFilesFromTheWindowsDrive", true, false, true, nullptr, "D:\\WINNT",
                               "C:\\Users\\me", "D:\\ProGRam Files", "C:\\Users\\me\\AppData\\Local"},
                      Fallback{"ProfileAndAppDataFromTheRegistry", false, true, false, "C:\\Docs\\me\\Application Data",
                               "C:\\WINDOWS", "C:\\Docs\\me", "C:\\Program Files", "C:\\Docs\\me\\Application Data"},
                      Fallback{"ProfileFromTheShellsAppData", false, true, true, "C:\\Elsewhere\\x", "C:\\WINDOWS",
                               "C:\\Users\\me\\AppData", "C:\\Program Files", "C:\\Users\\me\\AppData\\Local"},
                      Fallback{"WindowsFolderWhenNothingElse", false, false, false, nullptr, "C:\\WINDOWS",
                               "C:\\WINDOWS", "C:\\ProGRam Files", "C:\\WINDOWS\\AppLIcation Data"},
                      Fallback{"AppDataWithoutBackslashGivesNoProfile", false, true, false, "NoBackslash", "E:\\W",
                               "E:\\W", "C:\\Program Files", "NoBackslash"}),
    [](const ::testing::TestParamInfo<Fallback>& info) { return std::string(info.param.what); });

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
