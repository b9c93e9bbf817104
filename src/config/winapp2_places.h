// What the variables of winapp2.ini stand for on this machine (%AppData%, %ProgramFiles% and the
// rest), the running Windows version, and the folders no entry may clean. Found once at start-up.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cleaner/winapp2_walks.h"
#include "config/winapp2_file.h"

namespace lumo {

class Shell;
class SystemInfo;
struct SpecialFolders;

struct Winapp2Places {
    // Variable name in upper case, without its % signs, to the texts it stands for: one, or two
    // for %ProgramFiles% and %CommonProgramFiles% on 64-bit Windows; none when this machine has
    // no such folder. Names that are not here are unknown variables.
    std::map<std::string, std::vector<std::string>, std::less<>> variables;
    OsVersion os;
    ProtectedFolders protectedFolders;
};

// The places of this machine: the special folders found at start-up, the shell's further folder
// numbers and environment, the user name and the version.
Winapp2Places FindWinapp2Places(const SpecialFolders& folders, Shell* shell, SystemInfo* system);

// The names of the variables, as the help and the tests list them.
const std::vector<std::string>& Winapp2VariableNames();

// How a text with variables came out.
struct Resolved {
    std::vector<std::string> texts;  // every text it stands for; none when a variable has no folder here
    std::string unknown;  // the first variable that is not known at all, with its % signs
};

// The text with every %variable% replaced (names compare without regard to case). A "%" that
// starts no variable name stays as it is.
Resolved ResolveWinapp2Variables(std::string_view text, const Winapp2Places& places);

}  // namespace lumo
