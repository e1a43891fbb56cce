// The offscreen application of the UI tests, made once for the whole program.
#include "tests/configui/UiSupport.h"

namespace {
const auto* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new kx::test::QtEnvironment);
}  // namespace
