// Resolving the placeholders of seek strings.
#include "config/placeholders.h"

#include "base/text.h"
#include "registry/reg_key.h"

namespace lumo {

namespace {

using FolderMember = std::string SpecialFolders::*;

// The folder a placeholder word stands for; the words are case-sensitive.
FolderMember FolderOfWord(std::string_view word) {
    if (word == "windowsdir")
        return &SpecialFolders::WindowsDir;
    if (word == "systemdir")
        return &SpecialFolders::SystemDir;
    if (word == "temporarydir")
        return &SpecialFolders::TemporaryDir;
    if (word == "userprofiledir")
        return &SpecialFolders::UserProfileDir;
    if (word == "appdatadir")
        return &SpecialFolders::AppDataDir;
    if (word == "programfilesdir")
        return &SpecialFolders::ProgramFilesDir;
    return nullptr;
}

}  // namespace

std::string ResolvePlaceholders(std::string_view s, const PlaceholderContext& context) {
    return PlaceholderResolver(context).Resolve(s);
}

std::optional<std::string> PlaceholderResolver::RegistryText(const std::string& root, const std::string& path,
                                                             const std::string& valueName) {
    if (!context_.registry)
        return std::nullopt;
    auto key = std::make_tuple(root, path, valueName);
    auto cached = cache_.find(key);
    if (cached != cache_.end())
        return cached->second;
    std::optional<std::string> text;
    RegKey rk(*context_.registry);
    if (std::optional<RegValue> value = rk.GetRegValue(valueName, RegKey::TransRootKey(root), path))
        text = value->ValueDataString();
    cache_.emplace(std::move(key), text);
    return text;
}

std::string PlaceholderResolver::Resolve(std::string_view s) {
    std::string result;
    result.reserve(s.size());
    bool inside = false;
    size_t start = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            if (!inside)
                result.push_back(s[i]);
            continue;
        }
        if (!inside) {
            inside = true;
            start = i + 1;
            continue;
        }
        inside = false;
        std::string_view name = s.substr(start, i - start);
        if (CharCount(name) < 2)
            continue;
        if (FolderMember folder = FolderOfWord(name)) {
            if (context_.folders)
                result += context_.folders->*folder;
            continue;
        }
        std::vector<std::string> pieces = Split(name, "<>");
        if (pieces.size() != 3)
            continue;
        std::optional<std::string> text = RegistryText(pieces[0], pieces[1], pieces[2]);
        if (!text)
            return {};
        result += *text;
    }
    return result;
}

}  // namespace lumo
