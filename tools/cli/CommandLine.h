#pragma once
// The command-line conventions every tool shares, on CLI11: help that starts
// with the program's synopsis ("usage: ..."), options described once where they
// are declared, and one-line parse errors that name the argument. A tool
// declares its options on a CLI::App, parses with lb_cli::parse, checks the
// meaning of the values itself and exits with status 2 on any refusal.

#include <CLI/CLI.hpp>

#include <string>

namespace lb_cli {

// Sets up `app` (made with the program's description and name) so that its help
// prints the description, `synopsis` (lines of "usage: ..."), the options and
// `footer`, and adds "-h,--help" as a plain flag that sets *help: the caller
// decides what help means.
void configure(CLI::App* app, const std::string& synopsis, const std::string& footer, bool* help);

// Parses argv[1..argc-1]. Returns false with a one-line reason naming the
// argument in *error: an unknown argument as "unknown argument '--bogus'", a
// value given to a flag as "--check-gl takes no value", a missing value as
// CLI11 words it ("--at: 1 required TEXT missing").
bool parse(CLI::App* app, int argc, const char* const* argv, std::string* error);

// Prints "program: error" and the help on stderr; returns 2, the status of a
// refused command line.
int refuse(const CLI::App& app, const std::string& error);

}  // namespace lb_cli
