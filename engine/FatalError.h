#pragma once
// Errors that end a program before or while it starts. They always go to
// standard error; a program that a viewer starts by double-clicking it (the
// show) also asks for a message box, since no terminal shows standard error
// then, on Windows or on a Linux desktop.
//
// The box waits for someone to close it, so an environment where nobody will
// (the test suite, CI) sets LB_NO_ERROR_BOX to a non-empty value: the message
// then goes to standard error only.

#include <string>

namespace lb_engine {

// Turns message boxes on, titled `title`, for reportError and fatalError.
void enableErrorBox(const char* title);

// The title of the box enableErrorBox asked for ("" while boxes are off).
const std::string& errorBoxTitle();

// Prints `program: message` (just the message where `program` is empty) on
// standard error and, where boxes are on, shows the message in one, waiting
// until it is closed.
void reportError(const char* program, const std::string& message);

// reportError without a program name, then exit status 1: for the loaders that
// find the data set unusable (a missing catalogue key, a damaged mesh).
[[noreturn]] void fatalError(const std::string& message);

// Where a program's user sees neither standard error nor a box (a web page,
// whose runtime swallows the exit), its entry point registers a reporter:
// fatalError hands it the message before ending the program. Null: none.
using FatalReporter = void (*)(const std::string& message);
void setFatalReporter(FatalReporter reporter);

}  // namespace lb_engine
