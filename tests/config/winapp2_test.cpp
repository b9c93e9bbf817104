// winapp2.ini read on a machine made of scratch folders (under Wine through the real file system)
// and a registry branch: variables, detection, the records and their items, what is skipped and
// why, dangerous paths, and the user's selection.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "config/config_error.h"
#include "config/privacy_configs.h"
#include "support/enciphered_lines.h"
#include "config/winapp2_records.h"
#include "config/winapp2_selection.h"
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_shell.h"
#include "platform/portable/portable_system_info.h"
#include "support/scratch_folder.h"
#include "support/locked_folder_files.h"
#include "support/registry_fixture.h"
#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#endif

namespace lumo {
namespace {

using testing::ScratchFolder;
using State = Winapp2Outcome::State;
namespace fs = std::filesystem;

#ifdef _WIN32
using RealFileSystem = Win32FileSystem;
#else
using RealFileSystem = PortableFileSystem;
#endif

// A machine of scratch folders: every variable has a folder of its own name, Program Files two.
// The registry is the in-memory one, but for one test on the real one under Windows.
class Winapp2Machine : public ::testing::Test {
protected:
    ScratchFolder dir;
    RealFileSystem files;
    testing::TestRegistry reg;
    PortableShell shell;
    PortableSystemInfo system;
    Winapp2Places places;

    explicit Winapp2Machine(testing::RegistryKind kind = testing::RegistryKind::Memory) : reg(kind) {
        SpecialFolders f{dir.Folder("Windows"),  dir.Folder("Windows/System32"),       dir.Folder("Temp"),
                         dir.Folder("Users/me"), dir.Folder("Users/me/AppData/Local"), dir.Folder("Program Files")};
        shell.specialFolders = {{csidlAppData, dir.Folder("Users/me/AppData/Roaming")},
                                {csidlProgramFilesX86, dir.Folder("Program Files (x86)")},
                                {csidlCommonAppData, dir.Folder("ProgramData")},
                                {csidlPersonal, dir.Folder("Users/me/Documents")},
                                {csidlCommonDocuments, dir.Folder("Users/Public/Documents")},
                                {csidlProgramFilesCommon, dir.Folder("Program Files/Common Files")}};
        shell.environment["SystemDrive"] = "C:";
        system.userName = "me";
        system.version = 0x23F0000A;  // 10.0, build 9200
        places = FindWinapp2Places(f, &shell, &system);
    }

    Winapp2Read Read(const std::string& text, const Winapp2ReadOptions& options = {}) {
        return InterpretWinapp2(text, files, &reg.Api(), places, options);
    }
    std::string Key(std::string_view relative) { return "HKCU\\" + reg.Path(relative); }
};

TEST_F(Winapp2Machine, VariablesStandForThisMachinesFolders) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"%LocalAppData%\\x", {dir.Path("Users/me/AppData/Local") + "\\x"}},
        {"%appdata%", {dir.Path("Users/me/AppData/Roaming")}},
        {"%LocalLowAppData%", {dir.Path("Users/me/AppData") + kPathSeparator + "LocalLow"}},
        {"%ProgramData%|%CommonAppData%", {dir.Path("ProgramData") + "|" + dir.Path("ProgramData")}},
        {"%ProgramFiles%\\A", {dir.Path("Program Files") + "\\A", dir.Path("Program Files (x86)") + "\\A"}},
        {"%CommonProgramFiles%", {dir.Path("Program Files/Common Files")}},
        {"%UserProfile%", {dir.Path("Users/me")}},
        {"%Public%", {dir.Path("Users/Public")}},
        {"%DOCUMENTS%", {dir.Path("Users/me/Documents")}},
        {"%WinDir%", {dir.Path("Windows")}},
        {"%SystemDrive%\\", {"C:\\"}},
        {"%Temp%", {dir.Path("Temp")}},
        {"x\\%UserName%\\100%", {"x\\me\\100%"}},
    };
    for (const auto& [text, resolved] : cases) {
        Resolved r = ResolveWinapp2Variables(text, places);
        EXPECT_EQ(r.texts, resolved) << text;
        EXPECT_EQ(r.unknown, "") << text;
    }
    EXPECT_EQ(ResolveWinapp2Variables("%Desktop%\\x", places).unknown, "%Desktop%");
    places.variables["PUBLIC"].clear();  // a folder this machine does not have
    EXPECT_TRUE(ResolveWinapp2Variables("%Public%\\x", places).texts.empty());
}

TEST_F(Winapp2Machine, AnyOneDetectionMakesAnEntryPresentWithinItsWindowsVersions) {
    reg.CreateKey("Installed");
    dir.Write("Users/me/AppData/Local/Vendor/App/app.exe", "x");
    dir.Folder("Users/me/AppData/Local/Google/Chrome");
    struct Case {
        const char* name;
        std::string keys;
        State state;
    };
    const Case cases[] = {
        {"no detection", "", State::Present},
        {"a key", "Detect=" + Key("Installed"), State::Present},
        {"a long root name", "Detect=HKEY_CURRENT_USER\\" + reg.Path("installed"), State::Present},
        {"a missing key", "Detect=" + Key("Missing"), State::Absent},
        {"a file", "DetectFile=%LocalAppData%\\Vendor\\App\\app.exe", State::Present},
        {"a folder", "DetectFile=%LocalAppData%\\Vendor", State::Present},
        {"a wildcard segment", "DetectFile=%LocalAppData%\\V*\\*\\app.exe", State::Present},
        {"a missing file", "DetectFile=%LocalAppData%\\Vendor\\App\\other.exe", State::Absent},
        {"one of several", "Detect1=" + Key("Missing") + "\nDetectFile9=%LocalAppData%\\Vendor", State::Present},
        {"from Windows 10 on", "DetectOS=10.0|", State::Present},
        {"up to Windows 7", "DetectOS=|6.1", State::Absent},
        {"the version limits a found file", "DetectOS=6.1|6.3\nDetectFile=%LocalAppData%\\Vendor", State::Absent},
        {"Chrome's usual place", "SpecialDetect=DET_CHROME", State::Present},
        {"Opera's usual place", "SpecialDetect=DET_OPERA", State::Absent},
        {"Windows itself", "SpecialDetect=det_windows", State::Present},
    };
    std::string text;
    for (const Case& c : cases)
        text += std::string("[") + c.name + "]\n" + c.keys + "\nFileKey1=%Temp%|*.tmp\n";
    Winapp2Read read = Read(text);
    ASSERT_EQ(read.outcomes.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(read.outcomes[i].name, cases[i].name);
        EXPECT_EQ(read.outcomes[i].state, cases[i].state) << cases[i].name << ": " << read.outcomes[i].why;
    }
    EXPECT_EQ(read.records.size(), static_cast<size_t>(read.Count(State::Present)));
    EXPECT_EQ(reg.OpenHandles(), 0);
}

TEST_F(Winapp2Machine, ARecordHoldsAnItemPerFolderAndKeyWithTheEntrysExclusions) {
    Winapp2Read read = Read(
        "\xEF\xBB\xBF; a comment\r\n"
        "[App \xC3\xA9 *]\r\n"
        "langsecref=3022\r\nWarning=Removes your sessions.\r\n"
        "FileKey10=%LocalAppData%\\App|*.log|RECURSE\r\n"
        "FileKey2=%ProgramFiles%\\App\\Cache\r\n"
        "RegKey1=HKCU\\Software\\App|Recent\r\n"
        "RegKey2=HKLM\\Software\\App\\MRU\r\n"
        "ExcludeKey1=FILE|%LocalAppData%\\App\\|keep.log\r\n"
        "ExcludeKey2=FILE|%LocalAppData%\\App\\one.log\r\n"
        "ExcludeKey3=PATH|%ProgramFiles%\\App\\\r\n"
        "ExcludeKey4=REG|HKCU\\Software\\App|Window\r\n"
        "Default=False\r\nFutureKey=1\r\n"
        "[Named group]\r\nSection=My tools\r\nRegKey1=HKCU\\Software\\Mine\r\n");
    ASSERT_EQ(read.records.size(), 2u);
    const PrivacyConfig& pc = *read.records[0];
    EXPECT_EQ(pc.Software, "App \xC3\xA9 *");
    EXPECT_EQ(pc.Origin, RecordOrigin::Winapp2);
    EXPECT_EQ(pc.SoftwareType, stPlugins);
    EXPECT_FALSE(pc.Selected) << "nothing is selected until the user selects it";
    EXPECT_EQ(pc.Group, "Internet");
    EXPECT_EQ(pc.Warning, "Removes your sessions.");
    EXPECT_EQ(read.records[1]->Group, "My tools");
    EXPECT_EQ(read.unknownKeys, 1);

    const std::string local = dir.Path("Users/me/AppData/Local");
    std::vector<std::string> items;
    for (const PrivacyItem& pi : pc.Items)
        items.push_back(pi.Title + " " + std::to_string(pi.ItemType) + " " + Join(pi.SeekSettings, ">"));
    EXPECT_EQ(items, (std::vector<std::string>{
                         "FileKey2 9 " + dir.Path("Program Files") + "\\App\\Cache>>",
                         "FileKey2 9 " + dir.Path("Program Files (x86)") + "\\App\\Cache>>",
                         "FileKey10 9 " + local + "\\App>*.log>RECURSE",
                         "RegKey1 10 HKEY_CURRENT_USER>Software\\App>Recent",
                         "RegKey2 10 HKEY_LOCAL_MACHINE>Software\\App\\MRU",
                     }));
    EXPECT_EQ(pc.Items.item(1).HoldSettings,
              (std::vector<std::string>{"FILE|" + local + "\\App\\|keep.log", "FILE|" + local + "\\App|one.log",
                                        "PATH|" + dir.Path("Program Files") + "\\App\\",
                                        "PATH|" + dir.Path("Program Files (x86)") + "\\App\\",
                                        "REG|HKEY_CURRENT_USER\\Software\\App|Window"}));
}

TEST_F(Winapp2Machine, MalformedLinesAndEntriesAreSkippedWithTheirLineAndTheRestIsRead) {
    Winapp2Read read = Read(
        "Orphan=1\n"  // 1
        "[Good]\nFileKey1=%Temp%|*.tmp\n"  // 2-3
        "[No end\n"  // 4
        "just words\n"  // 5
        "[Bad root]\nRegKey1=HKXX\\Software\n"  // 6-7
        "[Bad flag]\nFileKey1=%Temp%|*.tmp|DEEP\n"  // 8-9
        "[Unknown variable]\nFileKey1=%Nowhere%\\x\n"  // 10-11
        "[Bad version]\nDetectOS=ten|\nFileKey1=%Temp%\n"  // 12-14
        "[Bad exclusion]\nFileKey1=%Temp%\nExcludeKey1=DIR|%Temp%\n"  // 15-17
        "[Nothing to clean]\nDetect=HKCU\\Software\n"  // 18-19
        "[GOOD]\nFileKey1=%Temp%|*.log\n"  // 20-21
        "[Pattern with a folder]\nFileKey1=%Temp%|sub\\*.log\n");  // 22-23
    struct Expected {
        const char* name;
        State state;
        size_t line;
        const char* why;
    };
    const Expected expected[] = {
        {"Good", State::Present, 0, ""},
        {"Bad root", State::Skipped, 7, "names no registry root"},
        {"Bad flag", State::Skipped, 9, "RECURSE or REMOVESELF"},
        {"Unknown variable", State::Skipped, 11, "unknown variable %Nowhere%"},
        {"Bad version", State::Skipped, 13, "DetectOS"},
        {"Bad exclusion", State::Skipped, 17, "FILE|, PATH| or REG|"},
        {"Nothing to clean", State::Skipped, 18, "nothing to clean"},
        {"GOOD", State::Skipped, 20, "line 2"},
        {"Pattern with a folder", State::Skipped, 23, "patterns name files only"},
    };
    ASSERT_EQ(read.outcomes.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const Winapp2Outcome& o = read.outcomes[i];
        EXPECT_EQ(o.name, expected[i].name);
        EXPECT_EQ(o.state, expected[i].state) << o.name;
        EXPECT_EQ(o.line, expected[i].line) << o.name;
        EXPECT_NE(o.why.find(expected[i].why), std::string::npos) << o.name << ": " << o.why;
    }
    ASSERT_EQ(read.badLines.size(), 3u);
    EXPECT_EQ(read.badLines[0].line, 1u);
    EXPECT_EQ(read.badLines[1].line, 4u);
    EXPECT_EQ(read.badLines[2].line, 5u);

    read.file = "winapp2.ini";
    std::vector<std::string> report = Winapp2ReportLines(read, 3);
    ASSERT_EQ(report.size(), 5u);
    EXPECT_EQ(report[0].rfind("winapp2.ini: 9 entries, 1 present on this computer, 8 skipped", 0), 0u) << report[0];
    EXPECT_EQ(report[1],
              "winapp2.ini line 7: the entry \"Bad root\" was skipped: \"RegKey1\" names no registry root "
              "(HKCU, HKLM, HKU or HKCR).");
    EXPECT_EQ(report[4], "... and 8 more; \"lumo winapp2\" lists them all.");
}

TEST_F(Winapp2Machine, EntriesThatWouldCleanTheSystemOrAWholeProfileAreRefused) {
    struct Case {
        const char* key;
        bool dangerous;
    };
    const Case cases[] = {
        {"FileKey1=C:\\|*.tmp", true},
        {"FileKey1=%SystemDrive%|*.*", true},
        {"FileKey1=%WinDir%\\|*.log", true},
        {"FileKey1=%WINDIR%\\Logs|*.log|RECURSE", false},
        {"FileKey1=%UserProfile%|*.*|RECURSE", true},
        {"FileKey1=%UserProfile%\\..|*.*", true},
        {"FileKey1=%UserProfile%\\..\\me\\Cache|*.*", true},
        {"FileKey1=%ProgramFiles%\\|*.log", true},
        {"FileKey1=%AppData%|*.log", false},
        {"FileKey1=%AppData%|*.log|RECURSE", true},
        {"FileKey1=%Temp%|*.*|RECURSE", false},
        {"FileKey1=%Temp%|*.*|REMOVESELF", true},
        {"RegKey1=HKCU", true},
        {"RegKey1=HKCU\\Software", true},
        {"RegKey1=HKLM\\SOFTWARE\\Microsoft\\", true},
        {"RegKey1=HKU\\S-1-5-21-1\\Software", true},
        {"RegKey1=HKCU\\Software|Value", false},
        {"RegKey1=HKCU\\Software\\Vendor", false},
    };
    for (const Case& c : cases) {
        Winapp2Read read = Read(std::string("[E]\n") + c.key + "\n");
        ASSERT_EQ(read.outcomes.size(), 1u);
        const Winapp2Outcome& o = read.outcomes[0];
        bool refused = o.state == State::Skipped;
        EXPECT_EQ(refused, c.dangerous) << c.key << ": " << o.why;
        if (refused) {
            EXPECT_EQ(o.why.rfind("dangerous: ", 0), 0u) << c.key << ": " << o.why;
        }
        EXPECT_EQ(read.records.empty(), c.dangerous) << c.key;
    }
    // Whatever the other keys say: the detection is not even tried.
    Winapp2Read read = Read("[E]\nDetect=" + Key("Missing") + "\nFileKey1=%WinDir%|*.*\n");
    EXPECT_EQ(read.outcomes[0].state, State::Skipped);
}

TEST_F(Winapp2Machine, TheSelectionIsKeptByNameAcrossReadsAndNeverEntersTheConfigurationFile) {
    const std::string selection = dir.Path("user/" + std::string(kWinapp2SelectionFileName));
    dir.Folder("user");
    PrivacyConfigs set;
    auto load = [&](const std::string& text) {
        set.RemoveAll();
        Winapp2Selection chosen;
        EXPECT_TRUE(chosen.Load(files, selection));
        for (auto& record : Read(text).records) {
            record->Selected = chosen.Contains(record->Software);
            set.Add(std::move(record));
        }
    };
    auto selected = [&set] {
        std::vector<std::string> names;
        for (const PrivacyConfig& pc : set)
            if (pc.Selected)
                names.push_back(pc.Software);
        return names;
    };
    load("[Alpha *]\nFileKey1=%Temp%\n[Beta *]\nFileKey1=%Temp%\n[Gamma *]\nFileKey1=%Temp%\n");
    EXPECT_TRUE(selected().empty());
    set.item(1).Selected = set.item(3).Selected = true;
    SaveWinapp2Selection(files, selection, set);

    // A newer file: Gamma gone for now, Alpha renamed in case, a new entry.
    load("[ALPHA *]\nFileKey1=%Temp%\n[Beta *]\nFileKey1=%Temp%\n[Delta *]\nFileKey1=%Temp%\n");
    EXPECT_EQ(selected(), (std::vector<std::string>{"ALPHA *"}));
    set.item(1).Selected = false;
    set.item(2).Selected = true;
    SaveWinapp2Selection(files, selection, set);
    load("[Alpha *]\nFileKey1=%Temp%\n[Beta *]\nFileKey1=%Temp%\n[Gamma *]\nFileKey1=%Temp%\n");
    EXPECT_EQ(selected(), (std::vector<std::string>{"Beta *", "Gamma *"})) << "Gamma's choice waited for it";

    // Saving the configuration file with these records in the set writes none of them.
    const std::string config = dir.Path("PrivacyConfig.dat");
    testing::WriteBytes(config, testing::Enciphered({"[Config]", "Software:Windows", "Type:Root", "Selected:1",
                                                     "Tmp<>1<>0<>Folder><C:\\Temp"}));
    const std::string before = testing::ReadBytes(config);
    PrivacyConfigs withFile;
    withFile.LoadConfig(config);
    for (const PrivacyConfig& pc : set)
        withFile.Add(pc.Clone());
    withFile.SaveConfig(config);
    EXPECT_EQ(testing::ReadBytes(config), before);

    // A selection that cannot be written says so and the old one stays.
    testing::LockedFolderFiles locked(files, dir.Path("user"));
    set.item(1).Selected = true;
    const std::string old = testing::ReadBytes(selection);
    EXPECT_THROW(SaveWinapp2Selection(locked, selection, set), ConfigError);
    EXPECT_EQ(testing::ReadBytes(selection), old);
    EXPECT_EQ(fs::directory_iterator(dir.FsPath("user"))->path().filename().string(), kWinapp2SelectionFileName);

    // The user's own winapp2.ini wins over the one beside the program.
    const std::string beside = dir.Write("program/winapp2.ini", "[A]");
    EXPECT_EQ(Winapp2FileToRead(files, dir.Path("program"), dir.Path("user")), beside);
    const std::string own = dir.Write("user/winapp2.ini", "[B]");
    EXPECT_EQ(Winapp2FileToRead(files, dir.Path("program"), dir.Path("user")), own);
}

#ifdef _WIN32
class Winapp2RealRegistry : public Winapp2Machine {
protected:
    Winapp2RealRegistry() : Winapp2Machine(testing::RegistryKind::Real) {}
};

TEST_F(Winapp2RealRegistry, AKeyThatExistsDetectsItsEntryAndBecomesItsItem) {
    reg.CreateKey("Installed");
    Winapp2Read read = Read("[A]\nDetect=" + Key("Installed") + "\nRegKey1=" + Key("Installed") +
                            "\n[B]\nDetect=" + Key("Missing") + "\nRegKey1=" + Key("Installed") + "\n");
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_EQ(read.outcomes[1].state, State::Absent);
    EXPECT_EQ(Join(read.records[0]->Items.item(1).SeekSettings, ">"), "HKEY_CURRENT_USER>" + reg.Path("Installed"));
    EXPECT_EQ(reg.OpenHandles(), 0);
}
#endif

}  // namespace
}  // namespace lumo
