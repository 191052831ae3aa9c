// One QApplication for the suite; widgets, sockets and their notifiers need
// it, and it must exist before the first test runs.
#include "support/QtApplicationEnvironment.h"

namespace {

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace
