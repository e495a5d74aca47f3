#include <QtGlobal>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue_translator.h"
#include "cli.h"
#include "com_error.h"
#include "main_window.h"
#include "option_store.h"
#include "settings_location.h"
#include "translate.h"
#include "vantrel_application.h"

namespace {

// A wrong option: the usage goes to standard error.
int Usage() {
  PrintProgramUsage(stderr);
  return kExitUsage;
}

// Command names stay English in every language.
constexpr const char* kNoDisplay =
    TrNoop("no display; the commands play, move, check and ports run without one (vantrel --help)");

void SayNoDisplay() {
  std::fprintf(stderr, "vantrel: %s\n", Tr(kNoDisplay));
}

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// The window needs a display: none named, and no other platform asked for.
bool NoDisplay(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-platform") == 0) return false;
  }
  return !Set("QT_QPA_PLATFORM") && !Set("DISPLAY") && !Set("WAYLAND_DISPLAY");
}

// A display that is named but cannot be reached ends the toolkit's start with a fatal
// message and an abort; say what to do instead and fail plainly.
void NoDisplayAtStart(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return;
  }
  SayNoDisplay();
  std::_Exit(1);
}

// Figures in messages and on the command line keep their point whatever the desktop's
// language: a German locale would make printf write the point (15.5, 5, 0) as "(15,5, 5, 0)".
void KeepPointDecimals() {
  std::setlocale(LC_NUMERIC, "C");
}

}  // namespace

int main(int argc, char** argv) {
  // Every text, the help included, follows the user's locale from here on.
  std::setlocale(LC_ALL, "");
  KeepPointDecimals();
  const std::string localeDir = SharedDataDir(ProgramDir()) + "/locale";
  InitMessages(localeDir);
  // Options given before the command count as the command's own.
  if (const std::vector<std::string> words = CommandWords(argc, argv); !words.empty()) {
    InitPortMessages(localeDir);
    CliEnvironment env;
    return RunCli(words, env);
  }

  std::string settingsPath;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintProgramUsage(stdout);
      return FinishOutput(stdout, stderr, 0);
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("vantrel %s\n", VANTREL_VERSION);
      return FinishOutput(stdout, stderr, 0);
    }
    if (std::strcmp(argv[i], "--settings") == 0) {
      if (i + 1 >= argc) return Usage();
      settingsPath = argv[++i];
    } else if (std::strncmp(argv[i], "-", 1) == 0 && std::strcmp(argv[i], "-platform") != 0) {
      return Usage();
    }
  }

  if (settingsPath.empty()) settingsPath = DefaultSettingsPath();

  if (NoDisplay(argc, argv)) {
    SayNoDisplay();
    return 1;
  }
  const QtMessageHandler previous = qInstallMessageHandler(NoDisplayAtStart);
  TVantrelApplication app(argc, argv);  // sets the locale that the catalogues follow
  KeepPointDecimals();
  qInstallMessageHandler(previous);
  InitPortMessages(localeDir);
  InstallCatalogueTranslator(localeDir);
  int result = 0;
  {
    TfrmVantrel window(settingsPath);
    window.show();
    result = app.exec();
  }  // the window and its forms go first, writing the settings file, then the application
  return result;
}
