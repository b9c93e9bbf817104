// Where the tests find the shipped configuration: the enciphered file the build placed beside the
// programs.
#pragma once

#include <string>

namespace lumo::testing {

inline std::string HostPath(std::string path) {
#ifdef _WIN32
    // The build folder is a Linux path; Wine shows the Linux root as drive Z:.
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
#endif
    return path;
}

inline std::string ShippedConfigPath() { return HostPath(LUMO_SHIPPED_CONFIG); }

}  // namespace lumo::testing
