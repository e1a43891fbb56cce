#pragma once
// kxpack inspect: a JSON description of a screensaver, a container file or a scene package.
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kx {

// Describes a finished screensaver or a container file (member sizes, the three INI texts as
// the engine parses them, the name list, media names and sizes). False with `error` when the
// file holds no container.
bool InspectContainerFile(const std::string& path, nlohmann::ordered_json& out, std::string& error);

int RunInspectCommand(const std::vector<std::string>& args);

}  // namespace kx
