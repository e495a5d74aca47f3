#include "message_field.h"

namespace {

// Bytes of the well-formed UTF-8 sequence at the start of `s` for a character that is not a
// control character; 0 when there is none.
size_t PrintableSequence(std::string_view s) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(0);
  if (lead >= 0x20 && lead < 0x7F) return 1;
  size_t length = 0;
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07;
  } else {
    return 0;
  }
  if (s.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(i) & 0x3F);
  }
  const char32_t least[] = {0, 0, 0xA0, 0x800, 0x10000};  // overlong forms and C1 controls
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return code >= least[length] && code <= 0x10FFFF && !surrogate ? length : 0;
}

void AppendEscaped(std::string& out, unsigned char c) {
  static const char kHex[] = "0123456789ABCDEF";
  switch (c) {
    case '\0':
      out += "\\0";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\\':
      out += "\\\\";
      return;
    default:
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
  }
}

}  // namespace

std::string MessageField(std::string_view text) {
  std::string out;
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++characters) {
    if (characters == kMessageFieldLength) return out + "...";
    const size_t length = text[i] == '\\' ? 0 : PrintableSequence(text.substr(i));
    if (length == 0) {
      AppendEscaped(out, static_cast<unsigned char>(text[i++]));
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}
