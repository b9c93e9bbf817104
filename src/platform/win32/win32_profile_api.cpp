// kernel32's ANSI profile functions: the section buffer is defined in ANSI bytes, so the A forms
// are called, with the file path turned into the ANSI code page.
#include "platform/win32/win32_profile_api.h"

#include <string>

#include "platform/ansi.h"
#include "platform/win32/windows_api.h"

namespace lumo {

uint32_t Win32ProfileApi::GetSection(std::string_view section, char* buffer, uint32_t size, std::string_view fileName) {
    std::string sectionText(section);
    std::string file = ToAnsi(fileName);
    return GetPrivateProfileSectionA(sectionText.c_str(), buffer, size, file.c_str());
}

bool Win32ProfileApi::WriteString(std::string_view section, std::string_view key, std::string_view value,
                                  std::string_view fileName) {
    std::string sectionText(section), keyText(key), valueText(value);
    std::string file = ToAnsi(fileName);
    return WritePrivateProfileStringA(sectionText.c_str(), keyText.c_str(), valueText.c_str(), file.c_str()) != 0;
}

}  // namespace lumo
