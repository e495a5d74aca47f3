// The command line's words: options, values, numbers and usage errors; progress texts.
#include <gtest/gtest.h>

#include "cli_args.h"
#include "cli_harness.h"
#include "progress.h"

namespace {

const OptionSpec kOptions[] = {
    {"--settings", true}, {"--port", true}, {"--quiet", false}, {"--help", false}};

TEST(ParseArgs, ValuesFlagsAndPositionalsInAnyOrder) {
  const ParsedArgs a = ParseArgs(
      {"a.vco", "--port=sim", "--quiet", "--settings", "x.ini", "--port", "ttyUSB0"}, kOptions);
  EXPECT_EQ(a.positional, std::vector<std::string>{"a.vco"});
  EXPECT_EQ(a.Value("--settings"), "x.ini");
  EXPECT_EQ(a.Value("--port"), "ttyUSB0");  // the last one wins
  EXPECT_TRUE(a.Has("--quiet"));
  EXPECT_FALSE(a.Has("--help"));
  EXPECT_EQ(a.Value("--nothing", "fallback"), "fallback");
}

TEST(ParseArgs, NumbersDashAndDoubleDashArePositional) {
  const ParsedArgs a = ParseArgs({"-15", "-", "-h", "--", "--quiet", "-x"}, kOptions);
  EXPECT_EQ(a.positional, (std::vector<std::string>{"-15", "-", "--quiet", "-x"}));
  EXPECT_TRUE(a.Has("--help"));
  EXPECT_FALSE(a.Has("--quiet"));
  // An empty value is a value.
  EXPECT_EQ(ParseArgs({"--port="}, kOptions).Value("--port", "unset"), "");
}

TEST(ParseArgs, MistakesAreUsageErrors) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"--verbose"}, "unknown option '--verbose'"},
      {{"-x"}, "unknown option '-x'"},
      {{"--settings"}, "option '--settings' needs a value"},
      {{"--quiet=yes"}, "option '--quiet' takes no value"},
  };
  for (const auto& [words, message] : cases) {
    try {
      ParseArgs(words, kOptions);
      ADD_FAILURE() << words[0] << " was taken";
    } catch (const UsageError& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
}

TEST(CommandWords, OptionsBeforeTheCommandGoAfterIt) {
  using Words = std::vector<std::string>;
  const std::pair<Words, Words> cases[] = {
      {{"--port", "sim", "move", "15", "5", "0"}, {"move", "--port", "sim", "15", "5", "0"}},
      {{"--settings", "F", "play", "x.vco"}, {"play", "--settings", "F", "x.vco"}},
      {{"--port", "play", "check", "a"}, {"check", "--port", "play", "a"}},
      {{"--settings", "F"}, {}},  // the window's
  };
  for (const auto& [given, words] : cases) {
    std::vector<const char*> argv{"vantrel"};
    for (const std::string& w : given) argv.push_back(w.c_str());
    EXPECT_EQ(CommandWords(static_cast<int>(argv.size()), argv.data()), words) << given[1];
  }
}

TEST(Subcommands, UsageErrorsGoToStandardErrorWithStatus2) {
  const std::vector<std::vector<std::string>> wrong{{"play"},
                                                    {"play", "a.vco", "b.vco"},
                                                    {"move", "1", "2"},
                                                    {"check", "--quiet", "a.vco"},
                                                    {"ports", "extra"},
                                                    {"ports", "--port"},
                                                    {"home", "1"},
                                                    {"move", "--speed", "50", "1", "2", "3"},
                                                    {"play", "--speed", "9", "a.vco"},
                                                    {"play", "--speed", "401", "a.vco"},
                                                    {"play", "--speed", "fast", "a.vco"},
                                                    {"play", "--repeat", "0", "a.vco"},
                                                    {"play", "--repeat", "1000", "a.vco"},
                                                    {"play", "--repeat", "always", "a.vco"},
                                                    {"frobnicate"}};
  for (const auto& words : wrong) {
    const CliResult r = RunCliCaptured(words);
    EXPECT_EQ(r.status, kExitUsage) << words[0];
    EXPECT_EQ(r.out, "") << words[0];
    EXPECT_NE(r.err.find("usage: vantrel "), std::string::npos) << r.err;
  }
}

TEST(Subcommands, EachDescribesItselfOnStandardOutput) {
  for (const char* name : {"play", "move", "home", "check", "ports"}) {
    const CliResult r = RunCliCaptured({name, "--help"});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_EQ(
        r.out.rfind(std::string("usage: vantrel ") + name + " [--settings FILE] [--port NAME]", 0),
        0u)
        << r.out;
    EXPECT_EQ(r.err, "");
  }
  // Only play is quiet.
  EXPECT_NE(RunCliCaptured({"play", "--help"}).out.find("--quiet"), std::string::npos);
  EXPECT_EQ(RunCliCaptured({"move", "--quiet", "1", "2", "3"}).status, kExitUsage);
}

TEST(Progress, DurationsInMinutesOrHours) {
  EXPECT_EQ(FormatDuration(0), "0:00");
  EXPECT_EQ(FormatDuration(59999), "0:59");  // rounded down
  EXPECT_EQ(FormatDuration(220000), "3:40");
  EXPECT_EQ(FormatDuration(3723000), "1:02:03");
  EXPECT_EQ(FormatDuration(-5), "0:00");
  EXPECT_EQ(ProgressText(12, 240, "M;3;140", 12000, 220000),
            "command 12 of 240, M;3;140, 0:12 elapsed, about 3:40 left");
}

}  // namespace
