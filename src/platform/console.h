// What a console program needs from the system beyond the other platform services: its own path,
// and Ctrl+C turned into a request to stop instead of an abrupt end.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace lumo {

// The program's arguments after its name, as UTF-8. Windows hands main() its arguments in the
// ANSI code page, so there they are read again from the wide command line.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The full path of the running program; empty when the system cannot tell.
std::string RunningProgramPath();

// From now on the first Ctrl+C (or Ctrl+Break, or a close of the console on Windows) only sets
// the returned flag; a second one ends the program as usual, so a stuck run can still be left.
const std::atomic<bool>& WatchConsoleInterrupt();

// Makes the console show UTF-8 output as such (Windows consoles use the OEM code page otherwise).
void UseUtf8ConsoleOutput();

}  // namespace lumo
