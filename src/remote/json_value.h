// A small strict JSON reader (RFC 8259) for the commands other programs send, and the quoting
// the messages sent back need. Strict: one value and white space, no comments, no trailing
// commas, no duplicate keys, nesting no deeper than a command can use.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class JsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct JsonMember;

struct JsonValue {
  enum class Kind { Null, Bool, Number, String, Array, Object };
  Kind kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;  // a string's value
  std::vector<JsonValue> items;
  std::vector<JsonMember> members;  // in the order given
  // The value as it stood in the input, for echoing an id back unchanged.
  std::string raw;

  const JsonValue* Member(std::string_view name) const;
};

struct JsonMember {
  std::string name;
  JsonValue value;
};

// Raises JsonError with the reason and the byte offset where the input went wrong.
JsonValue ParseJson(std::string_view text);

// `text` as a JSON string, quotes included.
std::string JsonQuote(std::string_view text);
