// Texts the user reads, in the user's language. The program's own texts live in the message
// catalogue "vantrel" (the serial component keeps its own, "cport"); a text with no
// translation is shown as written, in English.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

inline constexpr const char* kTextDomain = "vantrel";

// Binds the catalogue folder (holding de/LC_MESSAGES/vantrel.mo and so on) and asks for UTF-8.
// Call once after the locale is set; before that every text stays English.
void InitMessages(const std::string& localeDir);

// `english` in the user's language; `english` itself when the catalogue has no translation.
const char* Tr(const char* english);

// The form for `n` of a text with a singular and a plural, e.g. "%1 command" / "%1 commands".
const char* TrN(const char* one, const char* many, unsigned long n);

// Marks a text for the catalogue where it is stored, say in a table, and shown later through
// Tr(). It returns the text unchanged, so it can stand in a constant initializer.
constexpr const char* TrNoop(const char* english) {
  return english;
}

// `pattern` with each {1} .. {9} replaced by that argument. Translations move the pieces
// around, so they are numbered; a number with no argument stays as written, so a slip in a
// catalogue shows up on screen instead of crashing or reading past the arguments.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args);

// Tr() then FormatText(): the common case.
std::string TrFormat(const char* english, std::initializer_list<std::string_view> args);
