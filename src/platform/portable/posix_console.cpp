// The console services on POSIX systems: /proc/self/exe and a SIGINT/SIGTERM handler.
#ifndef _WIN32

#include <signal.h>
#include <unistd.h>

#include <vector>

#include "platform/console.h"

namespace lumo {

namespace {

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void OnInterrupt(int) { g_interrupted.store(true); }

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string RunningProgramPath() {
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

const std::atomic<bool>& WatchConsoleInterrupt() {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        // The handler gives way to the default action after it ran once.
        action.sa_flags = SA_RESETHAND;
        return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
    }();
    (void)installed;
    return g_interrupted;
}

void UseUtf8ConsoleOutput() {}

}  // namespace lumo

#endif
