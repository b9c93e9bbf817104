// Configuration files for the tests of the two settings windows: the five built-in Root records
// with their items in check box order, then whatever Plugins and Customs records a test asks for,
// written enciphered into a temporary folder and loaded the way the program loads them.
#pragma once

#include <string>
#include <vector>

#include "config/privacy_configs.h"
#include "support/enciphered_lines.h"

namespace lumo::testing {

using Lines = std::vector<std::string>;

// One record: its header lines and item lines. `itemSelected` decides each item's flag.
inline Lines RecordLines(const std::string& software, const std::string& type, bool selected,
                         const std::vector<std::string>& titles, const std::vector<bool>& itemSelected = {}) {
    Lines lines = {"[Config]", "Software:" + software, "Type:" + type, "Selected:" + std::string(selected ? "1" : "0")};
    for (size_t i = 0; i < titles.size(); ++i) {
        bool on = i < itemSelected.size() ? itemSelected[i] : true;
        lines.push_back(titles[i] + "<>" + (on ? "1" : "0") + "<>0<>Folder><C:\\" + software + "\\" +
                        std::to_string(i + 1));
    }
    return lines;
}

// Item flags of the five built-in records, by category; an empty list selects every item.
struct BuiltInSelection {
    std::vector<bool> windows, internet, opera, netscape, mozilla;
};

// The five built-in records with their items in check box order; the Windows record's fifth
// item (temporary files) keeps two files through its hold settings.
inline Lines BuiltInRecords(const BuiltInSelection& sel = {}) {
    const char* const windowsItems[] = {"Recent Documents<>{}<>0<>Folder><C:\\Recent",
                                        "Search<>{}<>0<>RegValue><HKEY_CURRENT_USER<>Software\\Search<>*",
                                        "Run<>{}<>0<>RegValue><HKEY_CURRENT_USER<>Software\\Run<>*",
                                        "Dialogs<>{}<>0<>RegValue><HKEY_CURRENT_USER<>Software\\Dialogs<>*",
                                        "Temp<>{}<>1<>Folder><C:\\Temp><C:\\Temp\\keep.txt<>C:\\Temp\\keep2.txt",
                                        "Recycle Bin<>{}<>0<>Customize><RecycleBin"};
    Lines lines = {
        "-- settings window test configuration", "", "[Config]", "Software:Windows", "Type:Root", "Selected:1"};
    for (size_t i = 0; i < 6; ++i) {
        std::string line = windowsItems[i];
        bool on = i < sel.windows.size() ? sel.windows[i] : true;
        line.replace(line.find("{}"), 2, on ? "1" : "0");
        lines.push_back(line);
    }
    auto add = [&](const Lines& record) { lines.insert(lines.end(), record.begin(), record.end()); };
    add(RecordLines("Internet Explorer", "Root", true,
                    {"Address Bar", "History", "AutoComplete", "Cache", "Downloaded", "Cookies"}, sel.internet));
    add(RecordLines("Opera", "Root", true, {"Global History", "Cookies", "Address Bar", "Cache"}, sel.opera));
    add(RecordLines("Netscape", "Root", true, {"Address Bar", "History", "Cache", "Cookies"}, sel.netscape));
    add(RecordLines("Mozilla", "Root", true, {"Address Bar", "History", "Cache", "Cookies"}, sel.mozilla));
    return lines;
}

// `lines` followed by the lines of `more`.
inline Lines operator+(Lines lines, const Lines& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

// A Plugins record named `name` with one item.
inline Lines PluginLines(const std::string& name, bool selected) {
    return RecordLines(name, "Plugins", selected, {"Recent"});
}

// A configuration file in a temporary folder, and the set loaded from it.
class ConfigOnDisk {
public:
    explicit ConfigOnDisk(const Lines& lines) : path_(folder_.Path("PrivacyConfig.dat")) {
        WriteBytes(path_, Enciphered(lines));
        set.LoadConfig(path_);
    }
    const std::string& Path() const { return path_; }
    std::string Bytes() const { return ReadBytes(path_); }
    Lines Plain() const { return PlainLines(path_); }
    // The "Software:" names of the file's records, in file order.
    std::vector<std::string> SoftwareInFile() const {
        std::vector<std::string> names;
        for (const std::string& line : Plain())
            if (line.rfind("Software:", 0) == 0)
                names.push_back(line.substr(9));
        return names;
    }

    PrivacyConfigs set;

private:
    ScratchFolder folder_;
    std::string path_;
};

}  // namespace lumo::testing
