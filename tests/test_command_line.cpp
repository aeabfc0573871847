// The command-line conventions the tools share (lb_cli on CLI11): unknown
// arguments and values given to flags are named, help is a flag like any other,
// and the help text starts with the synopsis.

#include "CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Tool {
  CLI::App app{"Does one thing.", "lb-tool"};
  bool help = false, flag = false;
  std::vector<std::string> at;
  std::string out;

  Tool() {
    lb_cli::configure(&app, "usage: lb-tool --at T [--at T ...] --out PATH [--flag]\n", "A footer line.", &help);
    app.add_option("--at", at, "a time")->allow_extra_args(false);
    app.add_option("--out", out, "a path");
    app.add_flag("--flag", flag, "a switch");
  }

  bool parse(std::vector<const char*> args, std::string* error) {
    args.insert(args.begin(), "lb-tool");
    return lb_cli::parse(&app, static_cast<int>(args.size()), args.data(), error);
  }
};

TEST(CommandLine, TakesBothValueFormsRepeatsAndNegativeNumbers) {
  Tool tool;
  std::string error;
  ASSERT_TRUE(tool.parse({"--at", "1", "--at=-2.5", "--out=a b.png", "--flag"}, &error)) << error;
  EXPECT_EQ(tool.at, (std::vector<std::string>{"1", "-2.5"}));
  EXPECT_EQ(tool.out, "a b.png");
  EXPECT_TRUE(tool.flag);
  EXPECT_FALSE(tool.help);
}

TEST(CommandLine, RefusalsNameTheArgument) {
  struct Case {
    std::vector<const char*> args;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{"--at", "1", "--bogus"}, "unknown argument '--bogus'"},
      {{"--at", "1", "2"}, "unknown argument '2'"},  // one value per --at
      {{"--flag=yes"}, "--flag takes no value"},
      {{"--out"}, "--out"},
  };
  for (const Case& c : cases) {
    Tool tool;
    std::string error;
    EXPECT_FALSE(tool.parse(c.args, &error)) << c.message;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

TEST(CommandLine, HelpIsAFlagAndStartsWithTheSynopsis) {
  Tool tool;
  std::string error;
  ASSERT_TRUE(tool.parse({"-h"}, &error)) << error;
  EXPECT_TRUE(tool.help);
  const std::string help = tool.app.help();
  EXPECT_EQ(help.rfind("Does one thing.\nusage: lb-tool --at T", 0), 0u) << help;
  for (const char* part : {"--at", "a time", "--out", "--flag", "-h,--help", "A footer line."})
    EXPECT_NE(help.find(part), std::string::npos) << part << " in:\n" << help;
}

}  // namespace
