// The one place errors go when they cannot travel on to the event loop's error box: failures
// in destructors, on other threads, or during shut-down.
#pragma once

#include <functional>
#include <string>

using ErrorReporter = std::function<void(const std::string& message)>;

// Reports a message: by default one line "vantrel: <message>" on standard error.
void ReportError(const std::string& message);
// Installs another reporter (the main window's error box); an empty one restores the default.
void SetErrorReporter(ErrorReporter reporter);
// The default reporter's line on standard error.
void PrintError(const std::string& message);
