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

// One record: item i is `titles[i]`, selected unless `itemSelected[i]` says no, with the body
// `bodies[i]` or else a folder of its own.
inline Lines RecordLines(const std::string& software, const std::string& type, bool selected, const Lines& titles,
                         const std::vector<bool>& itemSelected = {}, const Lines& bodies = {}) {
    Lines lines = {"[Config]", "Software:" + software, "Type:" + type,
                   std::string("Selected:") + (selected ? "1" : "0")};
    for (size_t i = 0; i < titles.size(); ++i)
        lines.push_back(titles[i] + "<>" + (i < itemSelected.size() && !itemSelected[i] ? "0" : "1") + "<>" +
                        (i < bodies.size() ? bodies[i] : "0<>Folder><C:\\" + software + "\\" + std::to_string(i + 1)));
    return lines;
}

inline Lines operator+(Lines lines, const Lines& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

// Item flags of the five built-in records, by category; an empty list selects every item.
struct BuiltInSelection {
    std::vector<bool> windows, internet, opera, netscape, mozilla;
};

// The five built-in records; the Windows record's fifth item (temporary files) keeps two files
// through its hold settings.
inline Lines BuiltInRecords(const BuiltInSelection& sel = {}) {
    const Lines browser = {"Address Bar", "History", "Cache", "Cookies"};
    return Lines{"-- settings window test configuration", ""} +
           RecordLines("Windows", "Root", true, {"Recent Documents", "Search", "Run", "Dialogs", "Temp", "Recycle Bin"},
                       sel.windows,
                       {"0<>Folder><C:\\Recent", "0<>RegValue><HKEY_CURRENT_USER<>Software\\Search<>*",
                        "0<>RegValue><HKEY_CURRENT_USER<>Software\\Run<>*",
                        "0<>RegValue><HKEY_CURRENT_USER<>Software\\Dialogs<>*",
                        "1<>Folder><C:\\Temp><C:\\Temp\\keep.txt<>C:\\Temp\\keep2.txt", "0<>Customize><RecycleBin"}) +
           RecordLines("Internet Explorer", "Root", true,
                       {"Address Bar", "History", "AutoComplete", "Cache", "Downloaded", "Cookies"}, sel.internet) +
           RecordLines("Opera", "Root", true, {"Global History", "Cookies", "Address Bar", "Cache"}, sel.opera) +
           RecordLines("Netscape", "Root", true, browser, sel.netscape) +
           RecordLines("Mozilla", "Root", true, browser, sel.mozilla);
}

// A Plugins record named `name` with one item.
inline Lines PluginLines(const std::string& name, bool selected) {
    return RecordLines(name, "Plugins", selected, {"Recent"});
}

// A configuration file in a temporary folder, and the set loaded from it.
struct ConfigOnDisk {
    explicit ConfigOnDisk(const Lines& lines) {
        WriteBytes(path, Enciphered(lines));
        set.LoadConfig(path);
    }
    ScratchFolder folder;
    std::string path = folder.Path("PrivacyConfig.dat");
    PrivacyConfigs set;
};

}  // namespace lumo::testing
