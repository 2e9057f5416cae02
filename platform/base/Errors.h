#pragma once
// Run-time errors carry the runtime's error number; three helpers express how a procedure treats them.
#include <stdexcept>
#include <string>
#include <utility>

namespace rt {

// The runtime's error numbers that the system meets.
enum ErrorNumber : int {
    kInvalidProcedureCall = 5,
    kOverflow = 6,
    kSubscriptOutOfRange = 9,
    kDivisionByZero = 11,
    kTypeMismatch = 13,
    kBadFileNumber = 52,
    kFileNotFound = 53,
    kBadFileMode = 54,
    kFileAlreadyOpen = 55,
    kTooManyFiles = 67,
    kPermissionDenied = 70,
    kPathFileAccessError = 75,
    kPathNotFound = 76,
    kObjectVariableNotSet = 91,
    kObjectRequired = 424,
    kInvalidPicture = 481,
};

class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(int number, const std::string& what) : std::runtime_error(what), number_(number) {}
    int number() const { return number_; }

  private:
    int number_;
};

[[noreturn]] inline void raise(int number, const std::string& what = {}) {
    throw RuntimeError(number, what.empty() ? "run-time error " + std::to_string(number) : what);
}

// "Skip the failing statement and go on": runs one statement; a run-time error in it is dropped.
// Returns false when the statement failed.
template <class Statement> bool skipOnError(Statement&& statement) {
    try {
        std::forward<Statement>(statement)();
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

// "End silently at the first failure": runs the procedure's body; a run-time error ends it with no report.
// Returns false when the body ended early.
template <class Body> bool endSilentlyOnError(Body&& body) {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

// "Pass it to the caller" needs no helper: the error simply propagates.

} // namespace rt
