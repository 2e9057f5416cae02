// The main of the tests of the floors below the windows runtime, which have no windows of their own to
// unload.
#include "platform/base/Events.h"
#include "tests/support/TestMain.h"

int main(int argc, char** argv) {
    return testing_support::runTestsOffscreen(argc, argv, [] { rt::Graveyard::flushIfIdle(); });
}
