// The shell off Windows: special folders from the XDG and POSIX environment, and a record of the
// documents and command lines handed to it instead of starting anything, which tests read.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace lumo {

class PortableShell : public Shell {
public:
    // Folders from HOME, XDG_DATA_HOME, XDG_CONFIG_HOME and TMPDIR (or their usual defaults).
    PortableShell();

    std::optional<std::string> SpecialFolderPath(int32_t csidl) override;
    std::optional<std::string> WindowsFolder() override { return windows; }
    std::optional<std::string> SystemFolder() override { return system; }
    std::optional<std::string> TemporaryFolder() override { return temporary; }
    bool OpenDocument(std::string_view path, uintptr_t ownerWindow = 0) override;
    bool StartCommand(std::string_view commandLine) override;

    // What the shell answers; a test sets them. A folder number left out, or a folder reset to
    // none, makes the shell fail for it.
    std::map<int32_t, std::optional<std::string>> specialFolders;
    std::optional<std::string> windows;
    std::optional<std::string> system;
    std::optional<std::string> temporary;
    // What OpenDocument and StartCommand answer.
    bool succeed = true;

    // What was handed over, in order.
    std::vector<std::string> opened;
    std::vector<uintptr_t> openedOver;  // the owner window of each document opened
    std::vector<std::string> started;
};

}  // namespace lumo
