// The platform services the program uses, as one bundle: the real Win32 ones in the program,
// the portable replacements natively and in tests. Each points at an object that outlives the
// bundle's users; a test leaves null what it does not need.
#pragma once

namespace lumo {

class RegistryApi;
class FileSystem;
class ProfileApi;
class Shell;
class SystemInfo;
class Clock;

struct Platform {
    RegistryApi* registry = nullptr;
    FileSystem* files = nullptr;
    ProfileApi* profiles = nullptr;
    Shell* shell = nullptr;
    SystemInfo* system = nullptr;
    Clock* clock = nullptr;
};

}  // namespace lumo
