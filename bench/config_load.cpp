// Loading and saving a configuration of 5,000 items: prints how long each takes.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/crypt.h"
#include "config/privacy_configs.h"
#include "platform/portable/memory_registry.h"
#include "registry/reg_key.h"

namespace {

constexpr int kRecords = 50;
constexpr int kItemsPerRecord = 100;

std::string MakeFile() {
    std::string out;
    auto line = [&out](const std::string& plain) { out += lumo::Crypt::EnCrypt(plain) + "\r\n"; };
    line("-- a configuration of " + std::to_string(kRecords * kItemsPerRecord) + " items");
    for (int r = 1; r <= kRecords; ++r) {
        line("[Config]");
        line("Software:Application " + std::to_string(r));
        line(r <= 5 ? "Type:Root" : "Type:Plugins");
        line("Description:generated");
        line("Selected:1");
        line("Version:1.0");
        for (int i = 1; i <= kItemsPerRecord; ++i) {
            std::string title = "Item " + std::to_string(i);
            switch (i % 3) {
            case 0:
                line(title + "<>1<>0<>RegValue><HKEY_CURRENT_USER<>Software\\Vendor\\App" + std::to_string(r) +
                     "\\Recent<>File*");
                break;
            case 1:
                line(title +
                     "<>1<>1<>Folder><%HKEY_CURRENT_USER<>Software\\Microsoft\\Windows\\CurrentVersion\\"
                     "Explorer\\Shell Folders<>AppData%\\Vendor\\App" +
                     std::to_string(r) + "\\Cache><C:\\keep\\a.txt<>C:\\keep\\b.txt");
                break;
            default:
                line(title + "<>0<>0<>File><%temporarydir%\\App" + std::to_string(r) + "<>*.tmp");
            }
        }
    }
    return out;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main() {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "lumo-bench-config";
    fs::create_directories(dir);
    std::string file = (dir / "PrivacyConfig.dat").string();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << MakeFile();
    }

    lumo::MemoryRegistry registry;
    lumo::RegKey(registry).SetRegValue("AppData", lumo::rvtString, std::string("C:\\Users\\me\\AppData\\Roaming"),
                                       lumo::rkCurrentUser,
                                       "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    lumo::SpecialFolders folders;
    folders.TemporaryDir = "C:\\Users\\me\\Temp";

    lumo::PrivacyConfigs set;
    auto t0 = std::chrono::steady_clock::now();
    set.LoadConfig(file, {&folders, &registry});
    auto t1 = std::chrono::steady_clock::now();
    for (lumo::PrivacyConfig& pc : set)
        for (lumo::PrivacyItem& pi : pc.Items)
            pi.Selected = !pi.Selected;
    auto t2 = std::chrono::steady_clock::now();
    set.SaveConfig(file);
    auto t3 = std::chrono::steady_clock::now();

    int items = 0;
    for (const lumo::PrivacyConfig& pc : set)
        items += pc.Items.Count();
    std::printf("config_load: %d records, %d items, file %ju bytes\n", set.Count(), items,
                static_cast<uintmax_t>(fs::file_size(file)));
    std::printf("  LoadConfig  %8.3f ms\n", Seconds(t1 - t0) * 1000);
    std::printf("  SaveConfig  %8.3f ms\n", Seconds(t3 - t2) * 1000);
    fs::remove_all(dir);
    return 0;
}
