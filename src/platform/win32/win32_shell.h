// The shell over shell32 and kernel32.
#pragma once

#include "platform/shell.h"

namespace lumo {

class Win32Shell : public Shell {
public:
    std::optional<std::string> SpecialFolderPath(int32_t csidl) override;
    std::optional<std::string> WindowsFolder() override;
    std::optional<std::string> SystemFolder() override;
    std::optional<std::string> TemporaryFolder() override;
    bool OpenDocument(std::string_view path, uintptr_t ownerWindow = 0) override;
    bool StartCommand(std::string_view commandLine) override;
};

}  // namespace lumo
