// The shell services the program needs: the special folders, and handing documents and command
// lines to the system. The program never waits for what it starts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumo {

// Folder numbers as the shell numbers them.
enum Csidl : int32_t {
    csidlPersonal = 0x0005,  // the user's documents
    csidlAppData = 0x001A,  // roaming application data
    csidlLocalAppData = 0x001C,  // local (non-roaming) application data
    csidlCommonAppData = 0x0023,  // application data of all users (ProgramData)
    csidlProgramFiles =
        0x0026,  // of the program's own kind: "Program Files (x86)" for a 32-bit program on 64-bit Windows
    csidlProfile = 0x0028,
    csidlProgramFilesX86 = 0x002A,
    csidlProgramFilesCommon = 0x002B,
    csidlProgramFilesCommonX86 = 0x002C,
    csidlCommonDocuments = 0x002E,  // the Public user's documents
};

class Shell {
public:
    virtual ~Shell() = default;

    // The folder of a shell folder number, without creating it: none when the shell fails, "" when
    // it answers with an empty path.
    virtual std::optional<std::string> SpecialFolderPath(int32_t csidl) = 0;
    // The Windows, system and temporary folders, without a trailing separator; none on failure.
    virtual std::optional<std::string> WindowsFolder() = 0;
    virtual std::optional<std::string> SystemFolder() = 0;
    virtual std::optional<std::string> TemporaryFolder() = 0;
    // An environment variable of the process; none when it is not set. What no folder number
    // gives comes from here ("ProgramW6432", the 64-bit Program Files seen from a 32-bit program).
    virtual std::optional<std::string> EnvironmentVariable(std::string_view name) { return std::nullopt; }

    // Opens a document (or a folder, or an address) with its "open" verb; false when the shell
    // refused. `ownerWindow` is the system's handle of the window whose user asked for it (what
    // the shell shows goes over that window), 0 for none.
    virtual bool OpenDocument(std::string_view path, uintptr_t ownerWindow = 0) = 0;
    // Starts a command line and returns at once; false when it could not be started.
    virtual bool StartCommand(std::string_view commandLine) = 0;
};

}  // namespace lumo
