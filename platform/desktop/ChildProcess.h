#pragma once
// Running a helper program of the desktop as a child process, without a shell: the program
// is looked up in the folders of a PATH text, and its arguments are passed as they are.
#include <string>
#include <vector>

namespace kx {

// The absolute path of the first executable regular file `name` in the ':'-separated
// folders of `pathList` (empty entries and relative folders are skipped), or "".
std::string FindProgram(const std::string& name, const std::string& pathList);

struct ChildResult {
  bool started = false;   // false: the program could not be run at all
  bool timedOut = false;  // killed after the time limit
  int exitCode = -1;      // the exit status when it exited normally, else -1
  std::string output;     // what it wrote to its standard output (when asked for)
};

// Runs `program` (an absolute path) with `arguments`, its standard input from /dev/null and
// its standard error discarded; waits at most `timeoutMs` and then kills it and every process
// it started (its process group). Its standard output is kept in the result when
// `captureOutput` is set, else discarded.
ChildResult RunChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                            bool captureOutput, int timeoutMs);

}  // namespace kx
