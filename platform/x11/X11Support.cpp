#include "platform/x11/X11Support.h"

#include <atomic>

namespace kx::x11 {
namespace {

std::atomic<bool> g_error{false};

int RecordError(Display*, XErrorEvent*) {
  g_error = true;
  return 0;
}

}  // namespace

void RecordXErrors() { XSetErrorHandler(RecordError); }
void ClearXError() { g_error = false; }
bool XErrorSeen() { return g_error; }

Channel::Channel(unsigned long mask) {
  if (mask == 0) return;
  while (((mask >> shift) & 1) == 0) ++shift;
  while (((mask >> (shift + bits)) & 1) != 0) ++bits;
}

}  // namespace kx::x11
