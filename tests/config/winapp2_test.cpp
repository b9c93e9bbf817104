// winapp2.ini read on a machine made of scratch folders (under Wine through the real file system)
// and a registry branch: variables, detection, what is skipped and why, dangerous paths, and the
// user's selection.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/text.h"
#include "config/config_error.h"
#include "config/privacy_configs.h"
#include "config/winapp2_records.h"
#include "config/winapp2_selection.h"
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_shell.h"
#include "platform/portable/portable_system_info.h"
#include "support/locked_folder_files.h"
#include "support/registry_fixture.h"
#include "support/scratch_folder.h"
#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#endif

namespace lumo {
namespace {

using State = Winapp2Outcome::State;
namespace fs = std::filesystem;

// Under Windows the machine's own file system and registry (in a branch of its own), elsewhere the
// in-memory registry.
#ifdef _WIN32
using RealFileSystem = Win32FileSystem;
constexpr auto kRegistry = testing::RegistryKind::Real;
#else
using RealFileSystem = PortableFileSystem;
constexpr auto kRegistry = testing::RegistryKind::Memory;
#endif

// A machine of scratch folders: every variable has a folder of its own name, Program Files two.
class Winapp2Machine : public ::testing::Test {
protected:
    testing::ScratchFolder dir;
    RealFileSystem files;
    testing::TestRegistry reg;
    PortableShell shell;
    PortableSystemInfo system;
    Winapp2Places places;

    Winapp2Machine() : reg(kRegistry) {
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

// Each entry present, absent or skipped, with the line that says why: by its detections within its
// Windows versions, by what is malformed in it, and by what would clean the system or a whole
// profile. Entries that should be read get a key to clean. Lines that are no entry are skipped.
TEST_F(Winapp2Machine, EachEntryIsPresentAbsentOrSkippedWithTheLineThatSaysWhy) {
    reg.CreateKey("Installed");
    dir.Write("Users/me/AppData/Local/Vendor/App/app.exe", "x");
    dir.Folder("Users/me/AppData/Local/Google/Chrome");
    struct Row {
        std::string name, body;
        State state;
        size_t line = 0;  // of the entry's own lines (0: its name), for skipped entries
        const char* why = "";
    };
    std::vector<Row> rows = {
        {"no detection", "", State::Present},
        {"Bad root", "RegKey1=HKXX\\Software", State::Skipped, 1, "names no registry root"},
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
        {"Bad flag", "FileKey1=%Temp%|*.tmp|DEEP", State::Skipped, 1, "RECURSE or REMOVESELF"},
        {"Unknown variable", "FileKey1=%Nowhere%\\x", State::Skipped, 1, "unknown variable %Nowhere%"},
        {"Bad version", "DetectOS=ten|\nFileKey1=%Temp%", State::Skipped, 1, "DetectOS"},
        {"Bad exclusion", "FileKey1=%Temp%\nExcludeKey1=DIR|%Temp%", State::Skipped, 2, "FILE|, PATH| or REG|"},
        {"Nothing to clean", "Detect=HKCU\\Software\n[No end\njust words", State::Skipped, 0, "nothing to clean"},
        {"NO DETECTION", "FileKey1=%Temp%|*.log", State::Skipped, 0, "line 2"},
        {"Pattern with a folder", "FileKey1=%Temp%|sub\\*.log", State::Skipped, 1, "patterns name files only"},
        // Whatever the other keys say: the detection is not even tried.
        {"refused first", "Detect=" + Key("Missing") + "\nFileKey1=%WinDir%|*.*", State::Skipped, 2, "dangerous: "},
    };
    // What would clean the system or a whole profile is refused ("!"), naming the key's line.
    for (std::string key :
         {"!FileKey1=C:\\|*.tmp", "!FileKey1=%SystemDrive%|*.*", "!FileKey1=%WinDir%\\|*.log",
          "FileKey1=%WINDIR%\\Logs|*.log|RECURSE", "!FileKey1=%UserProfile%|*.*|RECURSE",
          "!FileKey1=%UserProfile%\\..|*.*", "!FileKey1=%UserProfile%\\..\\me\\Cache|*.*",
          "!FileKey1=%ProgramFiles%\\|*.log", "FileKey1=%AppData%|*.log", "!FileKey1=%AppData%|*.log|RECURSE",
          "FileKey1=%Temp%|*.*|RECURSE", "!FileKey1=%Temp%|*.*|REMOVESELF", "!RegKey1=HKCU", "!RegKey1=HKCU\\Software",
          "!RegKey1=HKLM\\SOFTWARE\\Microsoft\\", "!RegKey1=HKU\\S-1-5-21-1\\Software", "RegKey1=HKCU\\Software|Value",
          "RegKey1=HKCU\\Software\\Vendor"})
        rows.push_back({"danger " + key, key.substr(key[0] == '!'), key[0] == '!' ? State::Skipped : State::Present,
                        key[0] == '!', key[0] == '!' ? "dangerous: " : ""});
    std::string text = "Orphan=1\n";
    std::vector<size_t> starts;  // the line of each entry's name
    for (const Row& r : rows) {
        starts.push_back(std::count(text.begin(), text.end(), '\n') + 1);
        text += "[" + r.name + "]\n" + r.body + (*r.why ? "" : "\nFileKey100=%Temp%|*.tmp") + "\n";
    }
    Winapp2Read read = Read(text);
    ASSERT_EQ(read.outcomes.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const Winapp2Outcome& o = read.outcomes[i];
        EXPECT_EQ(o.name, rows[i].name);
        EXPECT_EQ(o.state, rows[i].state) << o.name << ": " << o.why;
        EXPECT_EQ(o.line, rows[i].line                ? starts[i] + rows[i].line
                          : o.state == State::Skipped ? starts[i]
                                                      : 0)
            << o.name;
        EXPECT_NE(o.why.find(rows[i].why), std::string::npos) << o.name << ": " << o.why;
    }
    const size_t withoutEnd = starts[20] + 2;  // the lines "[No end" and "just words"
    EXPECT_EQ(read.badLines.size(), 3u);
    EXPECT_TRUE(read.badLines[0].line == 1 && read.badLines[1].line == withoutEnd &&
                read.badLines[2].line == withoutEnd + 1);
    EXPECT_EQ(read.records.size(), static_cast<size_t>(read.Count(State::Present)));
    EXPECT_EQ(reg.OpenHandles(), 0);

    read.file = "winapp2.ini";
    const std::vector<std::string> report = Winapp2ReportLines(read, 3);
    const int32_t skipped = read.Count(State::Skipped), present = read.Count(State::Present);
    EXPECT_EQ(report, (std::vector<std::string>{
                          "winapp2.ini: " + std::to_string(rows.size()) + " entries, " + std::to_string(present) +
                              " present on this computer, " + std::to_string(skipped) + " skipped (winapp2.ini).",
                          "winapp2.ini line " + std::to_string(starts[1] + 1) +
                              ": the entry \"Bad root\" was skipped: \"RegKey1\" names no registry root "
                              "(HKCU, HKLM, HKU or HKCR).",
                          report.at(2), report.at(3),
                          "... and " + std::to_string(skipped + 3 - 3) + " more; \"lumo winapp2\" lists them all."}));
}

// The user's choice lives in a file of its own (the configuration file never holds winapp2.ini
// records: they have no lines to write).
TEST_F(Winapp2Machine, TheSelectionIsKeptByNameAcrossReadsAndAFailedSaveKeepsTheOldOne) {
    const std::string selection = dir.Folder("user") + kPathSeparator + std::string(kWinapp2SelectionFileName);
    PrivacyConfigs set;
    // Reads the entries `names` with the saved choice and gives the names chosen; then chooses the
    // records at the positions `choose` (from 1) and saves through `through`.
    auto round = [&](std::vector<std::string> names, std::vector<int32_t> choose, FileSystem& through) {
        set.RemoveAll();
        Winapp2Selection chosen;
        EXPECT_TRUE(chosen.Load(files, selection));
        std::vector<std::string> was;
        for (auto& record : Read("[" + Join(names, "]\nFileKey1=%Temp%\n[") + "]\nFileKey1=%Temp%\n").records) {
            if (chosen.Contains(record->Software))
                was.push_back(record->Software);
            PrivacyConfig& pc = set.Add(std::move(record));
            pc.Selected = std::count(choose.begin(), choose.end(), set.Count());
        }
        SaveWinapp2Selection(through, selection, set);
        return was;
    };
    EXPECT_TRUE(round({"Alpha *", "Beta *", "Gamma *"}, {1, 3}, files).empty());
    // A newer file: Gamma gone for now, Alpha renamed in case, a new entry.
    EXPECT_EQ(round({"ALPHA *", "Beta *", "Delta *"}, {2}, files), (std::vector<std::string>{"ALPHA *"}));
    EXPECT_EQ(round({"Alpha *", "Beta *", "Gamma *"}, {1}, files), (std::vector<std::string>{"Beta *", "Gamma *"}))
        << "Gamma's choice waited for it";
    // A selection that cannot be written says so and the old one stays, alone in its folder.
    const std::string old = testing::ReadBytes(selection);
    testing::LockedFolderFiles locked(files, dir.Path("user"));
    EXPECT_THROW(round({"Alpha *", "Beta *"}, {2}, locked), ConfigError);
    EXPECT_EQ(testing::ReadBytes(selection), old);
    EXPECT_EQ(fs::directory_iterator(dir.FsPath("user"))->path().filename().string(), kWinapp2SelectionFileName);

    // The user's own winapp2.ini wins over the one beside the program.
    const std::string beside = dir.Write("program/winapp2.ini", "[A]");
    EXPECT_EQ(Winapp2FileToRead(files, dir.Path("program"), dir.Path("user")), beside);
    const std::string own = dir.Write("user/winapp2.ini", "[B]");
    EXPECT_EQ(Winapp2FileToRead(files, dir.Path("program"), dir.Path("user")), own);
}

}  // namespace
}  // namespace lumo
