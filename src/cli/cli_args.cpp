#include "cli_args.h"

#include <algorithm>

#include "message_field.h"
#include "translate.h"

namespace {

bool IsNumber(const std::string& word) {
  return word.size() >= 2 && word[0] == '-' && word[1] >= '0' && word[1] <= '9';
}

const OptionSpec* Find(std::span<const OptionSpec> options, const std::string& name) {
  const auto it = std::find_if(options.begin(), options.end(),
                               [&](const OptionSpec& o) { return name == o.name; });
  return it == options.end() ? nullptr : &*it;
}

}  // namespace

std::string ParsedArgs::Value(const std::string& name, const std::string& fallback) const {
  const auto it = values.find(name);
  return it == values.end() ? fallback : it->second;
}

ParsedArgs ParseArgs(const std::vector<std::string>& words, std::span<const OptionSpec> options) {
  ParsedArgs parsed;
  bool optionsEnded = false;
  for (size_t i = 0; i < words.size(); ++i) {
    std::string word = words[i];
    if (optionsEnded || word.empty() || word[0] != '-' || word == "-" || IsNumber(word)) {
      parsed.positional.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    if (word == "-h") word = "--help";
    std::string value;
    const size_t equals = word.find('=');
    const bool inlineValue = word.rfind("--", 0) == 0 && equals != std::string::npos;
    if (inlineValue) {
      value = word.substr(equals + 1);
      word.resize(equals);
    }
    const OptionSpec* option = Find(options, word);
    if (!option) throw UsageError(TrFormat("unknown option '{1}'", {MessageField(word)}));
    if (!option->takesValue) {
      if (inlineValue) throw UsageError(TrFormat("option '{1}' takes no value", {word}));
      parsed.flags.insert(word);
      continue;
    }
    if (!inlineValue) {
      if (i + 1 >= words.size()) throw UsageError(TrFormat("option '{1}' needs a value", {word}));
      value = words[++i];
    }
    parsed.values[word] = value;
  }
  return parsed;
}
