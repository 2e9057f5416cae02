// The main of the tests of the windows runtime and every floor above it.
#include "platform/base/Events.h"
#include "platform/runtime/Form.h"
#include "tests/support/TestMain.h"

int main(int argc, char** argv) {
    return testing_support::runTestsOffscreen(argc, argv, [] {
        // The windows go before the application that shows them.
        rt::Form::unloadAll();
        rt::Graveyard::flushIfIdle();
    });
}
