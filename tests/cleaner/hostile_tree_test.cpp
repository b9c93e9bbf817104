// A clear run on a hostile tree: links in every position (inside a walk, as an item's own
// folder, named index.dat in a folder that cannot be changed), a second hard link of a file
// elsewhere, an undeletable file, a chain of folders longer than the system's path limit,
// names in several scripts and an INI section holding one key twice. Afterwards nothing outside
// the named folders has changed, the last log line naming each path is true, and the chain is
// gone. Natively the folders that cannot be changed are made so for real (immutable as root,
// read-only otherwise); under Wine, where neither holds, the file system refuses their deletions.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "cleaner/item_processing.h"
#include "engine_test_support.h"
#ifndef _WIN32
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace lumo {
namespace {

using testing::MakeItem;
namespace fs = std::filesystem;

#ifdef _WIN32
// Wine's own calls stop at the Linux limit of 4096 bytes: deeper than 260 is what it can show.
constexpr size_t kChainChars = 700;
#else
constexpr size_t kChainChars = 4300;
#endif

// Makes a folder unchangeable: immutable as root, read-only for others; false where neither holds
// (under Wine). `on` false undoes it.
bool SetUnchangeable(const std::string& folder, bool on) {
#ifdef _WIN32
    return (void)folder, (void)on, false;
#else
    if (::geteuid() != 0) {
        std::error_code ec;
        fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        on ? fs::perm_options::remove : fs::perm_options::add, ec);
        return !ec;
    }
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY), flags = 0;
    bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    return fd >= 0 && ::close(fd) == 0 && ok;
#endif
}

// Every file and folder below `root` (links not followed) with its bytes ("<folder>" for a
// folder, "<link>" for a link), by path.
std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(testing::U8Path(root)))
        out[testing::U8Text(e.path())] = e.is_symlink()     ? "<link>"
                                         : e.is_directory() ? "<folder>"
                                                            : testing::ReadBytes(testing::U8Text(e.path()));
    return out;
}

class HostileTree : public testing::EngineTest {};

TEST_F(HostileTree, AClearTouchesNothingOutsideAndEveryLastWordIsTrue) {
    files.reverseListings = false;

    // Outside: what links point to. None of it may change.
    std::string victim = dir.Write("outside/victim.txt", "precious");
    std::string hardVictim = dir.Write("outside/hard.txt", "precious too");
    std::string outsideFolder = dir.Folder("outside/folder");
    dir.Write("outside/folder/inner.txt", "kept");

    // The named folder of a Folder item.
    std::string named = dir.Folder("named");
    dir.Write("named/plain.txt", "x");
    dir.Write("named/Ünïcode ñame.txt", "x");
    dir.Write("named/日本語/файл.dat", "x");
    auto link = [](const std::string& target, const std::string& at, bool folder) {
        std::error_code ec;
        folder ? fs::create_directory_symlink(testing::U8Path(target), testing::U8Path(at), ec)
               : fs::create_symlink(testing::U8Path(target), testing::U8Path(at), ec);
        return !ec;
    };
    bool links = link(outsideFolder, dir.Path("named/folderlink"), true);
    links = links && link(victim, dir.Path("named/filelink.txt"), false);
    dir.Folder("named/stuck");
    std::string stuckFile = dir.Write("named/stuck/undeletable.txt", "stays");
    std::string stuckIndex = dir.Path("named/stuck/index.dat");
    if (links)
        link(victim, stuckIndex, false);
    dir.Folder("named/hard");
    std::error_code ec;
    fs::create_hard_link(testing::U8Path(hardVictim), dir.FsPath("named/hard/index.dat"), ec);

    // A chain deeper than the system takes in one path, a file at every level.
    const std::string level(50, 'd');
    std::string chain = dir.Path("named/deep");
    std::string bottom = chain;
    while (bottom.size() < kChainChars)
        bottom = JoinPath(bottom, level);
    ASSERT_TRUE(files.CreateFolder(bottom));
    // The scratch folder's own cleaning stops at the path limit: a chain a failing run leaves
    // goes here.
    struct ChainGuard {
        FileSystem& files;
        std::string chain;
        ~ChainGuard() { files.DeleteFolderTree(chain); }
    } chainGuard{realFiles, chain};
    size_t chainEntries = 0;
    for (std::string at = bottom; at.size() > chain.size(); at.resize(at.size() - level.size() - 1)) {
        ASSERT_NE(files.OpenForWrite(JoinPath(at, "f"), WriteMode::Create), nullptr) << at.size();
        chainEntries += 2;
    }

    // An item whose own folder is a link, and an INI file holding one key twice.
    bool namedLink = links && link(outsideFolder, dir.Path("linked"), true);
    std::string ini = dir.Write("inis/dup.ini", "[S]\r\nk=first\r\nother=1\r\nK=second\r\n");

    // Folders nobody may change while the test runs, made so for real where the system allows it
    // and otherwise refused by the file system wrapper; undone before the scratch folder goes.
    std::vector<std::string> unchangeable;
    for (auto [folder, entries] : {std::pair{dir.Path("named/stuck"), std::vector{stuckFile, stuckIndex}},
                                   {dir.Path("named/hard"), {dir.Path("named/hard/index.dat")}}})
        if (SetUnchangeable(folder, true))
            unchangeable.push_back(folder);
        else
            files.locked.insert(entries.begin(), entries.end());
    struct Undo {
        std::vector<std::string>& folders;
        ~Undo() {
            for (const std::string& folder : folders)
                SetUnchangeable(folder, false);
        }
    } undo{unchangeable};
    const auto outsideBefore = Snapshot(dir.Path("outside"));

    std::vector<PrivacyValuePtr> traces;
    for (auto [type, seek] : {std::pair{int32_t{pitFolder}, std::vector{named}},
                              {pitFile, {dir.Path("named/stuck")}},
                              {pitFolder, {dir.Path("linked")}},
                              {pitFile, {dir.Path("linked"), "*.txt"}},
                              {pitIniFileItem, {ini, "S"}}}) {
        PrivacyValuesPtr found = MakeItem(type, seek)->GetPrivacyValue(ctx, true, true);
        traces.insert(traces.end(), found->begin(), found->end());
    }

    EXPECT_EQ(Snapshot(dir.Path("outside")), outsideBefore) << "something outside changed";
    EXPECT_FALSE(files.FolderExists(chain)) << "the chain is gone";
    size_t chainTraces = 0;
    for (const PrivacyValuePtr& pv : traces)
        chainTraces += pv->Path.rfind(chain + kPathSeparator, 0) == 0;
    EXPECT_EQ(chainTraces, chainEntries) << "every level of the chain was found";

    // The last line naming each path: entry lines are the status word and the path.
    std::map<std::string, std::string> lastWord;
    for (const std::string& line : log.lines)
        if (size_t at = line.find(dir.Path()); at != std::string::npos)
            lastWord[line.substr(at)] = line.substr(0, at);
    for (const PrivacyValuePtr& pv : traces) {
        if (pv->ValueType != pitFile && pv->ValueType != pitFolder)
            continue;
        bool there = files.FileExists(pv->Path) || files.FolderExists(pv->Path) || files.IsLink(pv->Path);
        const std::string& word = lastWord[pv->Path];
        EXPECT_TRUE(!there || (word != "Delete " && word != "Find ")) << word << pv->Path << " is still there";
        EXPECT_EQ(pv->ValueStatus == vsDelete, !there) << pv->ValueStatus << " " << pv->Path;
    }
    // Nothing left in the named folder went unmentioned.
    for (const auto& [path, what] : Snapshot(named))
        EXPECT_TRUE(lastWord.count(path)) << path << " stays without a word";
    EXPECT_TRUE(files.FileExists(stuckFile));
    if (namedLink) {
        EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(),
                             "12/25/2006 3:04:05 PM--The folder " + dir.Path("linked") +
                                 " is a link (symbolic link, junction or mount point) and was not entered"),
                  2)
            << "one line for each item naming it";
    }

    // The key held twice: the first entry is emptied, the second keeps its value and says so.
    std::vector<int32_t> iniStatus;
    for (const PrivacyValuePtr& pv : traces)
        if (pv->ValueType == pitIniFileItem)
            iniStatus.push_back(pv->ValueStatus);
    EXPECT_EQ(iniStatus, (std::vector<int32_t>{vsDelete, vsDelete, vsUnknown}));
    EXPECT_EQ(log.lines.back(), "Unknown K");
}

}  // namespace
}  // namespace lumo
