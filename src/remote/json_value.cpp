#include "json_value.h"

#include <cmath>
#include <cstdlib>

#include "translate.h"

namespace {

// Deeper than any command; keeps a hostile payload from exhausting the stack.
constexpr int kMaxDepth = 16;

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  JsonValue Document() {
    JsonValue value = Value(0);
    SkipSpace();
    if (at_ != text_.size()) Fail(Tr("text after the end of the JSON value"));
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw JsonError(TrFormat("{1} at byte {2}", {what, std::to_string(at_ + 1)}));
  }

  void SkipSpace() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r')) {
      ++at_;
    }
  }

  bool Take(char c) {
    SkipSpace();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  void Expect(char c) {
    if (!Take(c)) Fail(TrFormat("'{1}' expected", {std::string(1, c)}));
  }

  bool Word(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  JsonValue Value(int depth) {
    if (depth > kMaxDepth) Fail(Tr("nested too deeply"));
    SkipSpace();
    const size_t start = at_;
    JsonValue value;
    if (at_ >= text_.size()) Fail(Tr("a value expected"));
    const char c = text_[at_];
    if (c == '{') {
      value.kind = JsonValue::Kind::Object;
      Members(value, depth);
    } else if (c == '[') {
      value.kind = JsonValue::Kind::Array;
      ++at_;
      if (!Take(']')) {
        do value.items.push_back(Value(depth + 1));
        while (Take(','));
        Expect(']');
      }
    } else if (c == '"') {
      value.kind = JsonValue::Kind::String;
      value.text = String();
    } else if (Word("true") || Word("false")) {
      value.kind = JsonValue::Kind::Bool;
      value.boolean = c == 't';
    } else if (Word("null")) {
      value.kind = JsonValue::Kind::Null;
    } else {
      value.kind = JsonValue::Kind::Number;
      value.number = Number();
    }
    value.raw = std::string(text_.substr(start, at_ - start));
    return value;
  }

  void Members(JsonValue& value, int depth) {
    ++at_;
    if (Take('}')) return;
    do {
      SkipSpace();
      if (at_ >= text_.size() || text_[at_] != '"') Fail(Tr("a member name expected"));
      std::string name = String();
      if (value.Member(name)) Fail(TrFormat("'{1}' given twice", {name}));
      Expect(':');
      value.members.push_back({std::move(name), Value(depth + 1)});
    } while (Take(','));
    Expect('}');
  }

  double Number() {
    const size_t start = at_;
    auto digits = [&] {
      const size_t from = at_;
      while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
      return at_ - from;
    };
    if (at_ < text_.size() && text_[at_] == '-') ++at_;
    const size_t first = at_;
    const size_t whole = digits();
    if (whole == 0) Fail(Tr("a value expected"));
    if (whole > 1 && text_[first] == '0') Fail(Tr("a number may not start with 0"));
    if (at_ < text_.size() && text_[at_] == '.') {
      ++at_;
      if (digits() == 0) Fail(Tr("digits expected after the decimal point"));
    }
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      ++at_;
      if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
      if (digits() == 0) Fail(Tr("digits expected in the exponent"));
    }
    // strtod reads the locale's decimal point; the text is copied so it stops where JSON did.
    const std::string number(text_.substr(start, at_ - start));
    const double value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(value)) Fail(Tr("a number out of range"));
    return value;
  }

  unsigned Hex4() {
    if (at_ + 4 > text_.size()) Fail(Tr("a broken \\u escape"));
    unsigned code = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = text_[at_++];
      code <<= 4;
      if (h >= '0' && h <= '9')
        code |= static_cast<unsigned>(h - '0');
      else if (h >= 'a' && h <= 'f')
        code |= static_cast<unsigned>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F')
        code |= static_cast<unsigned>(h - 'A' + 10);
      else
        Fail(Tr("a broken \\u escape"));
    }
    return code;
  }

  static void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  std::string String() {
    ++at_;  // the opening quote
    std::string out;
    for (;;) {
      if (at_ >= text_.size()) Fail(Tr("a string without its closing quote"));
      const auto c = static_cast<unsigned char>(text_[at_++]);
      if (c == '"') return out;
      if (c < 0x20) Fail(Tr("a control character in a string"));
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (at_ >= text_.size()) Fail(Tr("a string without its closing quote"));
      const char e = text_[at_++];
      switch (e) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          unsigned code = Hex4();
          if (code >= 0xD800 && code < 0xDC00) {
            // A surrogate pair stands for one character beyond the first 64K.
            if (!Word("\\u")) Fail(Tr("a broken \\u escape"));
            const unsigned low = Hex4();
            if (low < 0xDC00 || low >= 0xE000) Fail(Tr("a broken \\u escape"));
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          } else if (code >= 0xDC00 && code < 0xE000) {
            Fail(Tr("a broken \\u escape"));
          }
          AppendUtf8(out, code);
          break;
        }
        default:
          Fail(Tr("an unknown escape in a string"));
      }
    }
  }

  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace

const JsonValue* JsonValue::Member(std::string_view name) const {
  for (const auto& [key, value] : members) {
    if (key == name) return &value;
  }
  return nullptr;
}

JsonValue ParseJson(std::string_view text) {
  return Reader(text).Document();
}

std::string JsonQuote(std::string_view text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          static const char kHex[] = "0123456789abcdef";
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}
