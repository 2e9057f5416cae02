#pragma once
// The runtime error number a statement fails with, or 0 when it runs through.
#include "platform/base/Errors.h"

#include <functional>

namespace fixtures {

inline int errorNumberOf(const std::function<void()>& statement) {
    try {
        statement();
    } catch (const rt::RuntimeError& error) {
        return error.number();
    }
    return 0;
}

} // namespace fixtures
