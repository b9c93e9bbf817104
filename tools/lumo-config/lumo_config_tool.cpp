// The commands of lumo-config.
#include "lumo_config_tool.h"

#include <exception>
#include <memory>
#include <ostream>

#include "base/registry_error.h"
#include "config/config_error.h"
#include "config/crypt.h"
#include "config/file_io.h"
#include "platform/file_system.h"

namespace lumo {

namespace {

constexpr const char* kUsage =
    "usage: lumo-config decrypt IN [OUT]   write the plain lines of an enciphered file\n"
    "       lumo-config encrypt IN [OUT]   encipher a plain file line by line\n"
    "       lumo-config check IN           load an enciphered file and list its records and items\n";

const char* SoftwareTypeWord(int32_t type) {
    switch (type) {
    case stRoot:
        return "Root";
    case stPlugins:
        return "Plugins";
    case stCustoms:
        return "Customs";
    default:
        return "other";
    }
}

// The configuration file's own word for the type, as the loader reads it.
std::string TypeText(int32_t type) {
    std::string_view word = ItemTypeWord(type);
    return word.empty() ? "unknown type " + std::to_string(type) : std::string(word);
}

bool ReadInput(FileSystem& files, const std::string& name, std::string& bytes, std::ostream& err) {
    switch (ReadWholeFile(files, name, bytes)) {
    case ReadResult::ok:
        return true;
    case ReadResult::notFound:
        err << "lumo-config: " << name << ": file not found\n";
        return false;
    default:
        err << "lumo-config: " << name << ": cannot be read\n";
        return false;
    }
}

// A named output file is written beside itself first and swapped in, so a failed write leaves
// what was there.
bool WriteOutput(FileSystem& files, const std::vector<std::string>& args, const std::string& bytes, std::ostream& out,
                 std::ostream& err) {
    if (args.size() < 3) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(out);
    }
    ReplaceResult written = files.WriteReplacing(args[2] + ".tmp", args[2], bytes);
    if (written)
        return true;
    err << "lumo-config: " << args[2] << ": cannot be written (" << written.reason.message() << ")\n";
    return false;
}

}  // namespace

void PrintConfig(const PrivacyConfigs& set, std::ostream& out) {
    int32_t n = 0;
    for (const PrivacyConfig& pc : set) {
        out << "[" << ++n << "] " << pc.Software << ": " << SoftwareTypeWord(pc.SoftwareType) << ", "
            << (pc.Selected ? "selected" : "not selected") << ", " << pc.Items.Count() << " item(s)\n";
        int32_t i = 0;
        for (const PrivacyItem& pi : pc.Items)
            out << "    " << ++i << ". " << pi.Title << ": " << TypeText(pi.ItemType)
                << (pi.Irregular ? ", irregular" : "") << "\n";
    }
}

int RunLumoConfig(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const PlaceholderContext& places) {
    if (args.empty()) {
        err << kUsage;
        return exitUsage;
    }
    const std::string& command = args[0];
    bool transform = command == "decrypt" || command == "encrypt";
    if (!(transform && (args.size() == 2 || args.size() == 3)) && !(command == "check" && args.size() == 2)) {
        err << kUsage;
        return exitUsage;
    }

    std::unique_ptr<FileSystem> files = MakeSystemFileSystem();
    if (command == "check") {
        PrivacyConfigs set;
        try {
            set.LoadConfig(args[1], places, files.get());
        } catch (const ConfigError& e) {
            err << "lumo-config: error " << e.Number << ": " << e.Description << "\n";
            return exitBadFile;
        } catch (const RegistryError& e) {
            err << "lumo-config: registry error " << e.Number << " (" << e.Source << "): " << e.Description << "\n";
            return exitBadFile;
        }
        PrintConfig(set, out);
        return exitOk;
    }

    std::string input;
    if (!ReadInput(*files, args[1], input, err))
        return exitBadFile;
    std::string output;
    if (command == "encrypt") {
        output = Crypt::EnCryptLines(input);
    } else {
        try {
            output = Crypt::DeCryptLines(input);
        } catch (const ConfigError& e) {
            err << "lumo-config: " << args[1] << ": error " << e.Number << ": " << e.Description << "\n";
            return exitBadFile;
        }
    }
    return WriteOutput(*files, args, output, out, err) ? exitOk : exitBadFile;
}

}  // namespace lumo
