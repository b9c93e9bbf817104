// The special folders, found from the shell and the registry; the placeholders of seek strings
// that stand for them and for registry values; and whether the program's folder can hold the
// user's files, found out by making, writing and removing a probe file there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "config/data_location.h"
#include "config/placeholders.h"
#include "config/system_folders.h"
#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_shell.h"
#include "support/locked_folder_files.h"
#include "support/scratch_folder.h"
#include "registry/reg_key.h"

namespace lumo {
namespace {

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// What the shell has (Profile, Program Files, local AppData; "x": it answers nothing for AppData
// and the registry cannot be read), the registry's AppData and the Windows folder (none: the
// shell fails, and the folders had stay), and what profile, Program Files and AppData end as.
TEST(InitSpecialFolders, TakesTheFoldersFromTheShellAndFillsTheGaps) {
    struct Case {
        const char *shell, *registryAppData;  // null: no value
        std::optional<std::string> windows;
        std::string expected;
    };
    const Case cases[] = {
        {"PFA", "C:\\Elsewhere", "C:\\W", "C:\\Me|C:\\PF|C:\\Me\\L\\AD"},
        {"PA", nullptr, "D:\\WINNT", "C:\\Me|D:\\ProGRam Files|C:\\Me\\L\\AD"},
        {"F", "C:\\Docs\\me\\AD", "C:\\W", "C:\\Docs\\me|C:\\PF|C:\\Docs\\me\\AD"},
        {"FA", "C:\\Elsewhere\\x", "C:\\W", "C:\\Me\\L|C:\\PF|C:\\Me\\L\\AD"},
        {"", nullptr, "C:\\W", "C:\\W|C:\\ProGRam Files|C:\\W\\AppLIcation Data"},
        {"F", "NoBackslash", "E:\\W", "E:\\W|C:\\PF|NoBackslash"},  // no backslash gives no profile
        {"Fx", "C:\\Docs\\me\\AD", std::nullopt, "F:\\OLD|C:\\PF|F:\\OLD\\AppLIcation Data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        auto has = [&c](char what) { return std::string_view(c.shell).find(what) != std::string_view::npos; };
        PortableShell shell;
        shell.specialFolders = {{csidlProfile, std::string(has('P') ? "C:\\Me" : "")}};
        shell.specialFolders[csidlLocalAppData] = has('A')   ? "C:\\Me\\L\\AD"
                                                  : has('x') ? std::optional<std::string>("")
                                                             : std::nullopt;
        if (has('F'))
            shell.specialFolders[csidlProgramFiles] = std::string("C:\\PF");
        shell.windows = c.windows;
        shell.system = "C:\\W\\system32";
        shell.temporary = c.windows ? std::optional<std::string>("C:\\Temp") : std::nullopt;
        MemoryRegistry registry;
        if (c.registryAppData)
            RegKey(registry).SetRegValue("AppData", rvtString, std::string(c.registryAppData), rkCurrentUser,
                                         kShellFolders);
        if (has('x'))
            registry.FailNext(MemoryRegistry::Op::OpenKey, 5);
        SpecialFolders f{"F:\\OLD", "", "F:\\TMP", "", "", ""};
        InitSpecialFolders(f, &shell, &registry);
        EXPECT_EQ(f.UserProfileDir + "|" + f.ProgramFilesDir + "|" + f.AppDataDir, c.expected);
        EXPECT_EQ(f.SystemDir + "|" + f.WindowsDir + "|" + f.TemporaryDir,
                  "C:\\W\\system32|" + (c.windows ? *c.windows + "|C:\\Temp" : "F:\\OLD|F:\\TMP"));
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

// Besides the refusals, says that the first `taken` probe names the program picks are there
// already, as files or as folders, as another copy of the program starting at the same time
// would have left them.
struct TakenProbes : testing::LockedFolderFiles {
    size_t taken;
    bool asFolders;
    std::vector<std::string> seen;  // the probe names asked about, in order
    TakenProbes(FileSystem& real, std::string locked, size_t taken, bool asFolders)
        : LockedFolderFiles(real, std::move(locked)), taken(taken), asFolders(asFolders) {}
    bool Taken(std::string_view path, bool folder) {
        auto at = std::find(seen.begin(), seen.end(), path);
        if (at == seen.end())
            at = seen.emplace(seen.end(), path);
        return folder == asFolders && static_cast<size_t>(at - seen.begin()) < taken;
    }
    bool FileExists(std::string_view path) override {
        return Taken(path, false) || LockedFolderFiles::FileExists(path);
    }
    bool FolderExists(std::string_view path) override {
        return path.find("write-test") != path.npos ? Taken(path, true) : LockedFolderFiles::FolderExists(path);
    }
};

TEST(DataLocation, AFolderIsWritableOnlyWhenAProbeFileCanBeMadeWrittenAndRemovedUnderAFreeName) {
    struct Case {
        bool lockFolder, refuseCreate, refuseWrite, refuseRemove;
        size_t taken;  // probe names found taken, once or twice
        bool asFolders, writable;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0, 0, true},  {1, 0, 0, 0, 0, 0, false}, {0, 1, 0, 0, 0, 0, false},
        {0, 0, 1, 0, 0, 0, false}, {0, 0, 0, 1, 0, 0, false}, {0, 0, 0, 0, 1, 0, true},
        {0, 0, 0, 0, 2, 0, false}, {0, 0, 0, 0, 1, 1, true},  {0, 0, 0, 0, 2, 1, false},
    };
    PortableFileSystem real;
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        testing::ScratchFolder dir;
        TakenProbes files(real, c.lockFolder ? dir.Path() : std::string("\x01"), c.taken, c.asFolders);
        files.refuseCreate = c.refuseCreate, files.refuseWrite = c.refuseWrite, files.refuseRemove = c.refuseRemove;
        EXPECT_EQ(CanWriteInFolder(files, dir.Path()), c.writable);
        EXPECT_EQ(std::filesystem::is_empty(dir.FsPath()), !c.refuseRemove) << "the probe stays only if unremovable";
        EXPECT_EQ(files.seen.size(), c.taken ? 2u : 1u);
    }
    TakenProbes none(real, "\x01", 0, false);
    EXPECT_FALSE(CanWriteInFolder(none, ""));
    EXPECT_FALSE(CanWriteInFolder(none, testing::ScratchFolder().Path("missing")));
    EXPECT_TRUE(none.seen.empty()) << "no probe is tried where there is no folder";
}

}  // namespace
}  // namespace lumo
