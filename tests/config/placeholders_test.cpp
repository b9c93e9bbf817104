#include <gtest/gtest.h>

#include <string>

#include "config/placeholders.h"
#include "platform/portable/memory_registry.h"
#include "registry/reg_key.h"

namespace lumo {
namespace {

TEST(ResolvePlaceholders, ReplacesFolderWordsAndRegistryValues) {
    SpecialFolders folders;
    folders.WindowsDir = "C:\\WINDOWS";
    folders.SystemDir = "C:\\WINDOWS\\system32";
    folders.TemporaryDir = "C:\\Temp";
    folders.UserProfileDir = "C:\\Users\\me";
    folders.AppDataDir = "C:\\Users\\me\\Local";
    folders.ProgramFilesDir = "C:\\Program Files";
    MemoryRegistry registry;
    RegKey rk(registry);
    rk.SetRegValue("Cache", rvtString, std::string("C:\\Cache"), rkCurrentUser, "Software\\Shell Folders");
    rk.SetRegValue("Count", rvtDWord, uint32_t{256}, rkLocalMachine, "Software\\Lumo");
    struct Case {
        const char* input;
        const char* expected;
    };
    for (const Case& c :
         {Case{"%windowsdir%\\Temp", "C:\\WINDOWS\\Temp"},
          Case{"%systemdir%|%temporarydir%|%userprofiledir%|%appdatadir%|%programfilesdir%",
               "C:\\WINDOWS\\system32|C:\\Temp|C:\\Users\\me|C:\\Users\\me\\Local|C:\\Program Files"},
          Case{"%WindowsDir%\\Temp", "\\Temp"},  // words are case-sensitive; unknown names drop
          Case{"a%%b", "ab"}, Case{"a%x%b", "ab"},
          Case{"C:\\x%windowsdir", "C:\\x"},  // an unclosed placeholder drops the rest
          Case{"no placeholder <> here", "no placeholder <> here"}, Case{"", ""},
          Case{"%HKEY_CURRENT_USER<>Software\\Shell Folders<>Cache%\\IE<>*.*", "C:\\Cache\\IE<>*.*"},
          Case{"x%HKEY_CURRENT_USER<>software\\SHELL FOLDERS<>cache%", "xC:\\Cache"},  // registry names ignore case
          Case{"pre\\%HKEY_CURRENT_USER<>Software\\Missing<>Cache%\\post", ""},  // missing key: nothing at all
          Case{"a%HKEY_CURRENT_USER<>Software\\Shell Folders<>Missing%b", "ab"},  // missing value: dropped
          Case{"a%HKEY_CURRENT_USER<>Software\\Shell Folders%b", "ab"},  // two pieces: dropped
          Case{"a%NOT_A_ROOT<>Software\\Shell Folders<>Cache%b", ""},  // no such root key
          Case{"%HKEY_LOCAL_MACHINE<>Software\\Lumo<>Count%", "0x00000100 (256)"},
          Case{"%windowsdir%%windowsdir%", "C:\\WINDOWSC:\\WINDOWS"}}) {
        EXPECT_EQ(ResolvePlaceholders(c.input, {&folders, &registry}), c.expected) << c.input;
    }
}

TEST(ResolvePlaceholders, WithoutARegistryARegistryPlaceholderEmptiesTheString) {
    SpecialFolders folders;
    folders.WindowsDir = "C:\\W";
    EXPECT_EQ(ResolvePlaceholders("%windowsdir%\\a", {&folders, nullptr}), "C:\\W\\a");
    EXPECT_EQ(ResolvePlaceholders("%windowsdir%%HKEY_CURRENT_USER<>S<>V%", {&folders, nullptr}), "");
    EXPECT_EQ(ResolvePlaceholders("%windowsdir%\\a", {}), "\\a");
}

}  // namespace
}  // namespace lumo
