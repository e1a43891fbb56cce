#pragma once
// Running the real kxpack program in tests: its exit code and everything it printed.
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kx::test {

struct KxpackResult {
  int exitCode = -1;
  std::string output;  // stdout and stderr together
};

// Arguments are quoted for the shell; none of them may hold a single quote.
inline KxpackResult RunKxpack(const std::vector<std::string>& args) {
  std::string command = std::string("'") + KXPACK_PATH + "'";
  for (const auto& arg : args) command += " '" + arg + "'";
  command += " 2>&1 </dev/null";
  KxpackResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// `kxpack inspect FILE` as JSON (null when it fails).
inline nlohmann::ordered_json Inspect(const std::string& file) {
  const std::string command = std::string("'") + KXPACK_PATH + "' inspect '" + file + "' 2>/dev/null";
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    pclose(pipe);
  }
  return nlohmann::ordered_json::parse(text, nullptr, false);
}

}  // namespace kx::test
