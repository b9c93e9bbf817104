// lumo-config: the command-line front of the configuration file tools.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "config/system_folders.h"
#include "platform/ansi.h"
#include "lumo_config_tool.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#else
#include "platform/portable/portable_shell.h"
#endif

int main(int argc, char** argv) {
    try {
#ifdef _WIN32
        // Plain lines are bytes: no CR added in front of the LF of each line.
        _setmode(_fileno(stdout), _O_BINARY);
        lumo::Win32Shell shell;
        lumo::Win32Registry registry;
        lumo::RegistryApi* registryApi = &registry;
#else
        lumo::PortableShell shell;
        // Off Windows there is no registry: registry placeholders leave their items irregular.
        lumo::RegistryApi* registryApi = nullptr;
#endif
        lumo::SpecialFolders folders;
        lumo::InitSpecialFolders(folders, &shell, registryApi);
        std::vector<std::string> args;
        for (int i = 1; i < argc; ++i)
#ifdef _WIN32
            args.push_back(lumo::FromAnsi(argv[i]));  // arguments arrive in the ANSI code page
#else
            args.emplace_back(argv[i]);
#endif
        return lumo::RunLumoConfig(args, std::cout, std::cerr, {&folders, registryApi});
    } catch (const std::exception& e) {
        std::cerr << "lumo-config: " << e.what() << "\n";
        return lumo::exitBadFile;
    }
}
