// The variables of winapp2.ini on this machine, and the folders they must never clean.
#include "config/winapp2_places.h"

#include "base/text.h"
#include "config/system_folders.h"
#include "platform/shell.h"
#include "platform/system_info.h"

namespace lumo {

namespace {

// The folder above `path` ("" when there is none).
std::string Parent(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos || cut == 0)
        return {};
    return path.substr(0, cut);
}

// The low-integrity folder beside the local application data folder ("AppData\LocalLow").
std::string LocalLowOf(const std::string& local) {
    size_t cut = local.find_last_of("\\/");
    if (cut == std::string::npos || cut == 0)
        return {};
    return local.substr(0, cut + 1) + "LocalLow";
}

bool IsNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

const std::vector<std::string>& Winapp2VariableNames() {
    static const std::vector<std::string> kNames = {
        "LocalAppData",
        "AppData",
        "LocalLowAppData",
        "ProgramData",
        "CommonAppData",
        "ProgramFiles",
        "CommonProgramFiles",
        "UserProfile",
        "Public",
        "Documents",
        "WinDir",
        "SystemDrive",
        "Temp",
        "UserName",
    };
    return kNames;
}

Winapp2Places FindWinapp2Places(const SpecialFolders& f, Shell* shell, SystemInfo* system) {
    auto folder = [shell](int32_t csidl) {
        std::optional<std::string> answer = shell ? shell->SpecialFolderPath(csidl) : std::nullopt;
        return answer.value_or("");
    };
    auto env = [shell](std::string_view name) {
        std::optional<std::string> answer = shell ? shell->EnvironmentVariable(name) : std::nullopt;
        return answer.value_or("");
    };
    auto firstOf = [](std::initializer_list<std::string> candidates) {
        for (const std::string& c : candidates)
            if (!c.empty())
                return c;
        return std::string();
    };

    Winapp2Places places;
    auto set = [&places](const char* name, std::initializer_list<std::string> texts) {
        std::vector<std::string>& into = places.variables[UpperCase(name)];
        for (const std::string& t : texts) {
            bool seen = false;
            for (const std::string& have : into)
                seen = seen || EqualsIgnoreCase(have, t);
            if (!t.empty() && !seen)
                into.push_back(t);
        }
    };
    const std::string local = f.AppDataDir;
    const std::string localLow = LocalLowOf(local);
    const std::string programData = firstOf({folder(csidlCommonAppData), env("ProgramData")});
    const std::string publicFolder = firstOf({env("PUBLIC"), Parent(folder(csidlCommonDocuments))});
    std::string systemDrive = env("SystemDrive");
    if (systemDrive.empty() && f.WindowsDir.size() >= 2 && f.WindowsDir[1] == ':')
        systemDrive = f.WindowsDir.substr(0, 2);

    set("LocalAppData", {local});
    set("AppData", {folder(csidlAppData)});
    set("LocalLowAppData", {localLow});
    set("ProgramData", {programData});
    set("CommonAppData", {programData});
    set("ProgramFiles", {f.ProgramFilesDir, folder(csidlProgramFilesX86), env("ProgramW6432")});
    set("CommonProgramFiles",
        {folder(csidlProgramFilesCommon), folder(csidlProgramFilesCommonX86), env("CommonProgramW6432")});
    set("UserProfile", {f.UserProfileDir});
    set("Public", {publicFolder});
    set("Documents", {folder(csidlPersonal)});
    set("WinDir", {f.WindowsDir});
    set("SystemDrive", {systemDrive});
    set("Temp", {f.TemporaryDir});
    std::optional<std::string> user = system ? system->UserName() : std::nullopt;
    set("UserName", {user.value_or("")});

    if (system) {
        auto v = static_cast<uint32_t>(system->Version());
        places.os = OsVersion{static_cast<int32_t>(v & 0xFF), static_cast<int32_t>((v >> 8) & 0xFF),
                              static_cast<int32_t>((v >> 16) & 0x7FFF), 3};
    }

    // What cleaning these would do to the system or to the user's data, whatever an entry says.
    ProtectedFolders& guard = places.protectedFolders;
    auto protect = [&](const char* variable, FileKeyReach from, const std::string& what) {
        for (const std::string& text : places.variables[UpperCase(variable)])
            guard.Add(text, from, what);
    };
    protect("WinDir", FileKeyReach::Files, "the Windows folder");
    protect("UserProfile", FileKeyReach::Files, "the user profile folder");
    guard.Add(Parent(f.UserProfileDir), FileKeyReach::Files, "the folder of all user profiles");
    protect("ProgramFiles", FileKeyReach::Files, "a Program Files folder");
    guard.Add(f.SystemDir, FileKeyReach::Recurse, "the system folder");
    protect("AppData", FileKeyReach::Recurse, "the roaming application data folder");
    protect("LocalAppData", FileKeyReach::Recurse, "the local application data folder");
    protect("LocalLowAppData", FileKeyReach::Recurse, "the low-integrity application data folder");
    protect("ProgramData", FileKeyReach::Recurse, "the application data folder of all users");
    protect("Documents", FileKeyReach::Recurse, "the Documents folder");
    protect("Public", FileKeyReach::Recurse, "the Public folder");
    protect("CommonProgramFiles", FileKeyReach::Recurse, "a Common Files folder");
    protect("Temp", FileKeyReach::RemoveSelf, "the temporary folder");
    return places;
}

Resolved ResolveWinapp2Variables(std::string_view text, const Winapp2Places& places) {
    Resolved out;
    out.texts.emplace_back();
    size_t i = 0;
    while (i < text.size()) {
        size_t open = text.find('%', i);
        size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        bool isName = close != std::string_view::npos && close > open + 1;
        for (size_t k = open + 1; isName && k < close; ++k)
            isName = IsNameCharacter(text[k]);
        if (!isName) {
            size_t upTo = open == std::string_view::npos ? text.size() : open + 1;
            for (std::string& t : out.texts)
                t.append(text.substr(i, upTo - i));
            i = upTo;
            continue;
        }
        for (std::string& t : out.texts)
            t.append(text.substr(i, open - i));
        std::string_view name = text.substr(open + 1, close - open - 1);
        auto found = places.variables.find(UpperCase(name));
        if (found == places.variables.end()) {
            out.unknown = "%" + std::string(name) + "%";
            out.texts.clear();
            return out;
        }
        std::vector<std::string> next;
        for (const std::string& t : out.texts)
            for (const std::string& value : found->second)
                next.push_back(t + value);
        out.texts = std::move(next);
        i = close + 1;
    }
    return out;
}

}  // namespace lumo
