#include "CommandLine.h"

#include <cstdio>
#include <memory>

namespace lb_cli {

namespace {

// CLI11's help with the project's synopsis in place of its generated usage line.
class SynopsisFormatter : public CLI::Formatter {
 public:
  explicit SynopsisFormatter(std::string synopsis) : synopsis_(std::move(synopsis)) {}
  std::string make_usage(const CLI::App*, std::string) const override { return synopsis_; }

 private:
  std::string synopsis_;
};

}  // namespace

void configure(CLI::App* app, const std::string& synopsis, const std::string& footer, bool* help) {
  auto formatter = std::make_shared<SynopsisFormatter>(synopsis);
  formatter->column_width(22);
  app->formatter(formatter);
  app->footer(footer);
  // Help is an ordinary flag: CLI11's own would end parsing with an exception.
  app->set_help_flag();
  app->option_defaults()->disable_flag_override();  // "--flag=yes" is refused, not read as true
  app->add_flag("-h,--help", *help, "prints this help");
  // Unknown arguments are collected and named by parse() in this project's words.
  app->allow_extras();
  // A sub-command's arguments may name the program's own options (--help).
  app->fallthrough();
}

bool parse(CLI::App* app, int argc, const char* const* argv, std::string* error) {
  try {
    app->parse(argc, argv);
  } catch (const CLI::ArgumentMismatch& e) {
    // CLI11 names a flag given a value without its dashes ("check-gl was given
    // a disallowed flag override"); every flag here is a long option.
    const std::string what = e.what();
    const size_t override = what.find(" was given a disallowed flag override");
    *error = override == std::string::npos ? what : "--" + what.substr(0, override) + " takes no value";
    return false;
  } catch (const CLI::ParseError& e) {
    *error = e.what();
    return false;
  }
  const std::vector<std::string> extras = app->remaining(true);
  if (!extras.empty()) {
    *error = "unknown argument '" + extras.front() + "'";
    return false;
  }
  return true;
}

int refuse(const CLI::App& app, const std::string& error) {
  std::fprintf(stderr, "%s: %s\n%s", app.get_name().c_str(), error.c_str(), app.help().c_str());
  return 2;
}

}  // namespace lb_cli
