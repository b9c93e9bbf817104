// The portable shell: XDG / POSIX stand-ins for the special folders.
#include "platform/portable/portable_shell.h"

#include <cstdlib>

namespace lumo {

namespace {

std::string Env(const char* name, std::string fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : std::move(fallback);
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

}  // namespace

PortableShell::PortableShell() {
    std::string home = WithoutTrailingSlash(Env("HOME", "/root"));
    specialFolders[csidlProfile] = home;
    specialFolders[csidlAppData] = WithoutTrailingSlash(Env("XDG_CONFIG_HOME", home + "/.config"));
    specialFolders[csidlLocalAppData] = WithoutTrailingSlash(Env("XDG_DATA_HOME", home + "/.local/share"));
    specialFolders[csidlProgramFiles] = std::string("/opt");
    windows = std::string("/usr");
    system = std::string("/usr/lib");
    temporary = WithoutTrailingSlash(Env("TMPDIR", "/tmp"));
}

std::optional<std::string> PortableShell::SpecialFolderPath(int32_t csidl) {
    auto found = specialFolders.find(csidl);
    if (found == specialFolders.end())
        return std::nullopt;
    return found->second;
}

bool PortableShell::OpenDocument(std::string_view path, uintptr_t ownerWindow) {
    opened.emplace_back(path);
    openedOver.push_back(ownerWindow);
    return succeed;
}

bool PortableShell::StartCommand(std::string_view commandLine) {
    started.emplace_back(commandLine);
    return succeed;
}

}  // namespace lumo
