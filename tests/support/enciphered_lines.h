// Configuration files as the program writes them: plain lines enciphered one by one, each ended
// with CR LF.
#pragma once

#include <string>
#include <vector>

#include "base/text.h"
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
    std::vector<std::string> lines = Split(ReadBytes(file), "\r\n");
    if (lines.back().empty())
        lines.pop_back();  // after the last line end
    for (std::string& line : lines)
        line = Crypt::DeCrypt(line);
    return lines;
}

}  // namespace lumo::testing
