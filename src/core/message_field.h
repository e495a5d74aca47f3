// A piece of the operator's input quoted in a message. Input can be any length and hold any
// byte: a whole field of a 200 MB file, a NUL that would end a C string, an escape sequence
// for the terminal. The message shows enough of it to find it, and nothing that can hurt.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

inline constexpr size_t kMessageFieldLength = 40;

// The first 40 characters of `text`, then "..." when there is more. A UTF-8 sequence is one
// character and stays as it is; a control character, a byte that is no UTF-8 and the backslash
// are escaped: \0 \t \n \r \\, and \xNN for the rest.
std::string MessageField(std::string_view text);
