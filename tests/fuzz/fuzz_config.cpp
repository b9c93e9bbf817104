// The configuration file: any file that loads also saves; the saved file loads to the same
// records and items; saving that again gives the same bytes. The input is a raw file (first
// byte even) or plain lines enciphered line by line (first byte odd); the bits of the second
// byte turn items' selection and hold flags, as the Items Settings window does before a save.
#include <cstdint>
#include <string>

#include "config/config_error.h"
#include "config/crypt.h"
#include "config/privacy_configs.h"
#include "config/config_description.h"
#include "fuzz_support.h"

using namespace lumo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const std::string body = fuzz::Text(data, size, 2);
    const std::string source = fuzz::ScratchPath("source.dat"), first = fuzz::ScratchPath("first.dat"),
                      second = fuzz::ScratchPath("second.dat");
    fuzz::Write(source, data[0] & 1 ? Crypt::EnCryptLines(body) : body);

    SpecialFolders folders{"C:\\WINDOWS",  "C:\\WINDOWS\\system32", "C:\\Temp",
                           "C:\\Users\\u", "C:\\Users\\u\\AppData", "C:\\Program Files"};
    PlaceholderContext places{&folders, nullptr};
    PrivacyConfigs set;
    try {
        set.LoadConfig(source, places);
    } catch (const ConfigError&) {
        return 0;  // a file that does not load promises nothing
    }
    unsigned flips = data[1];
    for (PrivacyConfig& pc : set)
        for (PrivacyItem& pi : pc.Items) {
            pi.Selected = pi.Selected != ((flips & 1) != 0);
            pi.HoldFlag = pi.HoldFlag != ((flips & 2) != 0);
            flips = (flips >> 2) | ((flips & 3) << 6);
        }

    try {
        set.SaveConfig(first);
    } catch (const ConfigError& e) {
        fuzz::Check(false, "a file that loads does not save", e.Description);
    }
    PrivacyConfigs again;
    try {
        again.LoadConfig(first, places);
    } catch (const ConfigError& e) {
        fuzz::Check(false, "a saved file does not load", e.Description);
    }
    std::string before = testing::DescribeConfig(set), after = testing::DescribeConfig(again);
    fuzz::Check(before == after, "the saved file loads to other records or items", before + "---\n" + after);
    again.SaveConfig(second);
    fuzz::Check(fuzz::Read(first) == fuzz::Read(second), "saving the saved file gives other bytes");
    return 0;
}
