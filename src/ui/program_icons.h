// The names of the program's icon resources, as forms, images, image lists and the tray icon
// ask for them.
#pragma once

#include <string>
#include <string_view>

namespace lumo {

inline constexpr const char* kProgramIcon = "appicon";

// The resource of a list icon by its image-list key ("win", "mieshow", "appdelete", ...).
inline std::string ListIconResource(std::string_view key) { return "list_" + std::string(key); }

}  // namespace lumo
