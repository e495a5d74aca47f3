// Parsing the words after a subcommand: options (--name, --name VALUE, --name=VALUE) and
// positional arguments. A word of "-" and a digit is a negative number, not an option; "--"
// ends the options.
#pragma once

#include <map>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// A command line the program cannot take: the text says what is wrong.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OptionSpec {
  const char* name;  // with its dashes: "--settings"
  bool takesValue;
};

struct ParsedArgs {
  std::map<std::string, std::string> values;  // options with a value, the last one wins
  std::set<std::string> flags;                // options without one
  std::vector<std::string> positional;

  bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
  // The option's value, or `fallback` when it was not given.
  std::string Value(const std::string& name, const std::string& fallback = {}) const;
  bool HasValue(const std::string& name) const { return values.count(name) != 0; }
};

// Raises UsageError for an option not in `options`, an option value that is missing, or a
// value given to an option that takes none. "-h" is read as "--help".
ParsedArgs ParseArgs(const std::vector<std::string>& words, std::span<const OptionSpec> options);
