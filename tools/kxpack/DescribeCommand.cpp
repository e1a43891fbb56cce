#include "tools/kxpack/DescribeCommand.h"

#include <cstdio>
#include <iostream>

#include "payload/Container.h"
#include "payload/Marker.h"
#include "platform/Files.h"
#include "project/IniText.h"
#include "project/KXCProject.h"
#include "tools/kxpack/SceneCommands.h"

namespace kx {
namespace {

constexpr int64_t kTextLimit = 64 << 20;  // INI texts and name lists larger than this are not read

nlohmann::ordered_json SettingsJson(const TKXCSetting& s) {
  nlohmann::ordered_json j;
  for (const auto& k : SettingKeys()) {
    switch (k.type) {
      case SettingKey::Type::String: j[k.section][k.key] = s.*k.text; break;
      case SettingKey::Type::Bool: j[k.section][k.key] = s.*k.flag; break;
      case SettingKey::Type::Int: j[k.section][k.key] = s.*k.number; break;
    }
  }
  return j;
}

// The project container's members parsed the way the engine parses them.
nlohmann::ordered_json ProjectJson(const std::string& bytes) {
  nlohmann::ordered_json j;
  std::vector<std::string> members;
  if (!ParseContainerBytes(bytes, members)) {
    j["error"] = "not a container";
    return j;
  }
  j["count"] = members.size();
  nlohmann::ordered_json sizes = nlohmann::ordered_json::array();
  for (const auto& m : members) sizes.push_back(m.size());
  j["memberSizes"] = sizes;
  if (members.size() != 3 && members.size() != 4) {
    j["note"] = "a project container holds 3 or 4 members; the engine reads none of these";
    return j;
  }
  TKXCFileList list;
  list.LoadFromText(members[0]);
  TKXCSetting setting;
  setting.LoadFromText(IniText::Parse(members[1]));
  TUISetting ui;
  ui.LoadFromText(IniText::Parse(members[2]));
  nlohmann::ordered_json items = nlohmann::ordered_json::array();
  for (size_t i = 0; i < list.Names.size(); ++i) items.push_back({{"name", list.Names[i]}, {"flag", list.Flags[i]}});
  j["fileList"] = items;
  j["settings"] = SettingsJson(setting);
  j["ui"] = {{"UIFile", ui.UIFile}};
  if (members.size() == 4) {
    std::vector<std::string> inner;
    nlohmann::ordered_json extra = {{"size", members[3].size()}};
    if (ParseContainerBytes(members[3], inner)) extra["count"] = inner.size();
    j["extra"] = extra;
  }
  return j;
}

}  // namespace

bool InspectContainerFile(const std::string& path, nlohmann::ordered_json& out, std::string& error) {
  ContainerReader reader;
  if (!reader.Open(path)) {
    error = "No container marker in " + path;
    return false;
  }
  out = nlohmann::ordered_json();
  out["file"] = path;
  out["containerOffset"] = reader.CountOffset() - static_cast<int64_t>(kMarkerSize);
  out["count"] = reader.Count();
  nlohmann::ordered_json members = nlohmann::ordered_json::array();
  std::vector<int64_t> starts;
  std::vector<int64_t> sizes;
  for (int64_t size = reader.NextMember(); size >= 0; size = reader.NextMember()) {
    members.push_back({{"size", size}, {"present", reader.AvailableOfMember()}});
    starts.push_back(reader.MemberStart());
    sizes.push_back(size);
  }
  out["members"] = members;
  const bool screensaver = reader.Count() == 4 && sizes.size() == 4;
  out["kind"] = screensaver ? "screensaver" : "container";
  if (!screensaver) return true;

  // Member 0: the project container; member 1: the name list.
  ContainerReader again;
  again.Open(path);
  std::string projectBytes, nameList;
  again.NextMember();
  again.ReadMember(projectBytes, kTextLimit);
  again.NextMember();
  again.ReadMember(nameList, kTextLimit);
  out["project"] = ProjectJson(projectBytes);
  const std::vector<std::string> names = SplitLines(nameList);
  out["nameList"] = names;

  // Member 2: the media container, walked without reading the media.
  nlohmann::ordered_json media = nlohmann::ordered_json::array();
  ContainerReader mediaReader;
  if (mediaReader.OpenAt(path, starts[2])) {
    size_t i = 0;
    for (int64_t size = mediaReader.NextMember(); size >= 0; size = mediaReader.NextMember(), ++i)
      media.push_back({{"name", i < names.size() ? FileNamePart(names[i]) : std::string()}, {"size", size}});
    out["mediaCount"] = mediaReader.Count();
  }
  out["media"] = media;
  out["skin"] = {{"size", sizes[3]}};
  return true;
}

int RunInspectCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: kxpack inspect FILE\n");
    return 2;
  }
  nlohmann::ordered_json out;
  std::string error;
  char head[8] = {};
  if (FILE* f = std::fopen(args[0].c_str(), "rb")) {
    const size_t got = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (got != sizeof head) head[0] = '\0';
  }
  if (std::string(head, sizeof head) == "KX060697") {
    if (!InspectScenePackage(args[0], out, error)) {
      std::fprintf(stderr, "kxpack: %s\n", error.c_str());
      return 1;
    }
    std::cout << out.dump(2) << "\n";
    return 0;
  }
  if (!InspectContainerFile(args[0], out, error)) {
    std::fprintf(stderr, "kxpack: %s\n", error.c_str());
    return 1;
  }
  std::cout << out.dump(2) << "\n";
  return 0;
}

}  // namespace kx
