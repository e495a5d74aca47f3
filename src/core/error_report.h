// The one place errors go when they cannot travel on to the event loop's error box: failures
// in destructors, on other threads, or during shut-down.
#pragma once

#include <exception>
#include <functional>
#include <string>

// `detail` says what and where (empty when there is nothing to add); the message stays the
// text the operator knows.
using ErrorReporter = std::function<void(const std::string& message, const std::string& detail)>;

// Reports a message: by default one line "vantrel: <message>" on standard error, with
// " - <detail>" after it when there is a detail.
void ReportError(const std::string& message, const std::string& detail = {});
// Reports an error's message with its detail.
void ReportError(const std::exception& error);
// Installs another reporter (the main window's error box); an empty one restores the default.
void SetErrorReporter(ErrorReporter reporter);
// The default reporter's line on standard error.
void PrintError(const std::string& message, const std::string& detail = {});
// That line's text without its line end: "vantrel: <message>" and " - <detail>" if any.
std::string ErrorLine(const std::string& message, const std::string& detail = {});

// Runs an event handler; an error that leaves it is reported and the program carries on with
// the state the handler left. Errors are stopped here, at the handler, because the toolkit's
// own frames are built without cleanup for exceptions passing through them.
template <typename Handler>
void RunGuarded(Handler&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ReportError(e);
  }
}
