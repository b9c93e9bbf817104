// The special folders, found from the shell and the registry, and the placeholders of seek
// strings that stand for them and for registry values.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "config/placeholders.h"
#include "config/system_folders.h"
#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_shell.h"
#include "registry/reg_key.h"

namespace lumo {
namespace {

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// What the shell and the registry lack, and what the folders end as; the last row: every step
// fails, the folders it had stay, and the registry cannot be read.
TEST(InitSpecialFolders, TakesTheFoldersFromTheShellAndFillsTheGaps) {
    struct Case {
        bool shellHasProfile, shellHasProgramFiles, shellHasAppData, registryFails;
        const char* registryAppData;  // null: no value
        std::optional<std::string> windows;
        std::string profile, programFiles, appData, windowsAfter = "";
    };
    const Case cases[] = {
        {true, true, true, false, "C:\\Elsewhere", "C:\\WINDOWS", "C:\\Users\\me", "C:\\Program Files",
         "C:\\Users\\me\\AppData\\Local"},
        {true, false, true, false, nullptr, "D:\\WINNT", "C:\\Users\\me", "D:\\ProGRam Files",
         "C:\\Users\\me\\AppData\\Local"},
        {false, true, false, false, "C:\\Docs\\me\\Application Data", "C:\\WINDOWS", "C:\\Docs\\me",
         "C:\\Program Files", "C:\\Docs\\me\\Application Data"},
        {false, true, true, false, "C:\\Elsewhere\\x", "C:\\WINDOWS", "C:\\Users\\me\\AppData", "C:\\Program Files",
         "C:\\Users\\me\\AppData\\Local"},
        {false, false, false, false, nullptr, "C:\\WINDOWS", "C:\\WINDOWS", "C:\\ProGRam Files",
         "C:\\WINDOWS\\AppLIcation Data"},
        {false, true, false, false, "NoBackslash", "E:\\W", "E:\\W", "C:\\Program Files", "NoBackslash"},
        {false, true, false, true, "C:\\Docs\\me\\Application Data", std::nullopt, "F:\\OLD", "C:\\Program Files",
         "F:\\OLD\\AppLIcation Data", "F:\\OLD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        PortableShell shell;
        shell.specialFolders = {{csidlProfile, std::string(c.shellHasProfile ? "C:\\Users\\me" : "")},
                                {csidlLocalAppData, std::string("C:\\Users\\me\\AppData\\Local")}};
        if (c.shellHasProgramFiles)
            shell.specialFolders[csidlProgramFiles] = std::string("C:\\Program Files");
        if (!c.shellHasAppData)
            shell.specialFolders[csidlLocalAppData] = c.registryFails ? std::string() : std::optional<std::string>();
        shell.windows = c.windows;
        shell.system = "C:\\WINDOWS\\system32";
        shell.temporary = c.windows ? std::optional<std::string>("C:\\Temp") : std::nullopt;
        MemoryRegistry registry;
        if (c.registryAppData)
            RegKey(registry).SetRegValue("AppData", rvtString, std::string(c.registryAppData), rkCurrentUser,
                                         kShellFolders);
        if (c.registryFails)
            registry.FailNext(MemoryRegistry::Op::OpenKey, 5);
        SpecialFolders f{"F:\\OLD", "", "F:\\TMP", "", "", ""};
        InitSpecialFolders(f, &shell, &registry);
        EXPECT_EQ(std::tie(f.UserProfileDir, f.ProgramFilesDir, f.AppDataDir, f.SystemDir),
                  std::tie(c.profile, c.programFiles, c.appData, "C:\\WINDOWS\\system32"));
        EXPECT_EQ(f.WindowsDir + "|" + f.TemporaryDir, c.windows ? *c.windows + "|C:\\Temp" : "F:\\OLD|F:\\TMP");
    }
    SpecialFolders f;
    InitSpecialFolders(f, nullptr, nullptr);  // without shell or registry: the fallbacks
    EXPECT_EQ(f.ProgramFilesDir + "|" + f.UserProfileDir + "|" + f.AppDataDir, "\\ProGRam Files||\\AppLIcation Data");
}

TEST(ResolvePlaceholders, ReplacesFolderWordsAndRegistryValues) {
    SpecialFolders folders{"C:\\W", "C:\\W\\system32", "C:\\Temp", "C:\\Users\\me", "C:\\Users\\me\\L", "C:\\PF"};
    MemoryRegistry registry;
    RegKey(registry).SetRegValue("Cache", rvtString, std::string("C:\\Cache"), rkCurrentUser, "Software\\Shell");
    RegKey(registry).SetRegValue("Count", rvtDWord, uint32_t{256}, rkLocalMachine, "Software\\Lumo");
    struct Case {
        const char *input, *expected, *withoutRegistry;
    };
    for (const Case& c : {
             Case{"%windowsdir%\\Temp", "C:\\W\\Temp", "C:\\W\\Temp"},
             Case{"%systemdir%|%temporarydir%|%userprofiledir%|%appdatadir%|%programfilesdir%",
                  "C:\\W\\system32|C:\\Temp|C:\\Users\\me|C:\\Users\\me\\L|C:\\PF", nullptr},
             Case{"%WindowsDir%\\Temp", "\\Temp", nullptr},  // words are case-sensitive; unknown names drop
             Case{"a%%b", "ab", nullptr},
             Case{"a%x%b", "ab", nullptr},
             Case{"", "", ""},
             Case{"C:\\x%windowsdir", "C:\\x", nullptr},  // an unclosed placeholder drops the rest
             Case{"no placeholder <> here", "no placeholder <> here", nullptr},
             Case{"%HKEY_CURRENT_USER<>Software\\Shell<>Cache%\\IE<>*.*", "C:\\Cache\\IE<>*.*", ""},
             Case{"x%HKEY_CURRENT_USER<>software\\SHELL<>cache%", "xC:\\Cache", nullptr},  // names ignore case
             Case{"pre\\%HKEY_CURRENT_USER<>Software\\Missing<>Cache%\\post", "", nullptr},  // missing key: nothing
             Case{"a%HKEY_CURRENT_USER<>Software\\Shell<>Missing%b", "ab", nullptr},  // missing value: dropped
             Case{"a%HKEY_CURRENT_USER<>Software\\Shell%b", "ab", nullptr},  // two pieces: dropped
             Case{"a%NOT_A_ROOT<>Software\\Shell<>Cache%b", "", nullptr},  // no such root key
             Case{"%HKEY_LOCAL_MACHINE<>Software\\Lumo<>Count%", "0x00000100 (256)", nullptr},
             Case{"%windowsdir%%windowsdir%", "C:\\WC:\\W", nullptr},
         }) {
        EXPECT_EQ(ResolvePlaceholders(c.input, {&folders, &registry}), c.expected) << c.input;
        if (c.withoutRegistry) {
            EXPECT_EQ(ResolvePlaceholders(c.input, {&folders, nullptr}), c.withoutRegistry) << c.input;
        }
    }
    EXPECT_EQ(ResolvePlaceholders("%windowsdir%\\a", {}), "\\a");
}

}  // namespace
}  // namespace lumo
