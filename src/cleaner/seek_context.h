// What a seek needs from the application: the platform services, the activity log, the
// special parser, the stop request and the overwrite passes. The application builds one per
// run; tests build their own.
#pragma once

#include <cstdint>

namespace lumo {

class RegistryApi;
class FileSystem;
class ProfileApi;
class SystemInfo;
class TraceLog;
class CustomizeParse;
class ProtectedFolders;

struct SeekContext {
    RegistryApi* registry = nullptr;
    FileSystem* files = nullptr;
    ProfileApi* profiles = nullptr;
    SystemInfo* system = nullptr;
    TraceLog* log = nullptr;  // the activity log; writes nothing while it is closed
    CustomizeParse* parser = nullptr;  // the special parser of Customize items
    const bool* stopRequested = nullptr;
    int16_t securityFillTimes = 1;  // overwrite passes for locked files
    // Threads that delete the files a clear run finds: 0 as many as suit this computer (none
    // where the system deletes one file at a time), 1 none (the walk deletes each file itself).
    unsigned removalWorkers = 0;
    // The folders winapp2.ini entries may not clean, for the folders their wildcards reach; null
    // refuses drive roots only.
    const ProtectedFolders* protectedFolders = nullptr;

    bool StopRequested() const { return stopRequested && *stopRequested; }
};

}  // namespace lumo
