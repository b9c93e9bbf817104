// Everything a configuration file carries into the program, as text: two loads that give the
// same text gave the same records and items.
#pragma once

#include <sstream>
#include <string>

#include "config/privacy_configs.h"

namespace lumo::testing {

inline std::string DescribeConfig(const PrivacyConfigs& set) {
    std::ostringstream out;
    for (const PrivacyConfig& pc : set) {
        out << "[" << pc.Software << "|" << pc.SoftwareType << "|" << pc.Description << "|" << pc.Selected << "|"
            << pc.Version << "]\n";
        for (const PrivacyItem& pi : pc.Items) {
            out << "  " << pi.Software << "|" << pi.Title << "|" << pi.Selected << "|" << pi.HoldFlag << "|"
                << pi.ItemType << "|" << pi.Irregular << "|seek";
            for (const std::string& s : pi.SeekSettings)
                out << "<" << s << ">";
            if (pi.HoldFlag) {  // hold settings count only while the flag is set
                out << "|hold";
                for (const std::string& s : pi.HoldSettings)
                    out << "<" << s << ">";
            }
            out << "\n";
        }
    }
    return out.str();
}

}  // namespace lumo::testing
