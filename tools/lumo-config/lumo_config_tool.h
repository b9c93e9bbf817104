// lumo-config: deciphers, enciphers and checks configuration files. The commands live here, apart
// from main(), so tests run them in-process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "config/placeholders.h"
#include "config/privacy_configs.h"

namespace lumo {

enum LumoConfigExit { exitOk = 0, exitBadFile = 1, exitUsage = 2 };

// Runs one command; `args` are the arguments after the program name. Output goes to `out` (or
// to the file the command names), messages to `err`. `places` resolves placeholders for "check".
int RunLumoConfig(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const PlaceholderContext& places);

// The report of "check": each record with its type, selection and item count, then its items.
void PrintConfig(const PrivacyConfigs& set, std::ostream& out);

}  // namespace lumo
