// Configuration files as the program writes them: plain lines enciphered one by one, each ended
// with CR LF.
#pragma once

#include <string>
#include <vector>

#include "config/crypt.h"
#include "support/scratch_folder.h"

namespace lumo::testing {

inline std::string Enciphered(const std::vector<std::string>& plainLines) {
    std::string out;
    for (const std::string& line : plainLines)
        out += Crypt::EnCrypt(line) + "\r\n";
    return out;
}

// The plain lines of an enciphered file.
inline std::vector<std::string> PlainLines(const std::string& file) {
    std::vector<std::string> lines;
    std::string bytes = ReadBytes(file);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos)
            end = bytes.size();
        lines.push_back(Crypt::DeCrypt(bytes.substr(start, end - start)));
        start = end + 2;
    }
    return lines;
}

}  // namespace lumo::testing
