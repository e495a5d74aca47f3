#include "settings_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "replacing_file.h"

#ifndef VANTREL_DATA_FROM_BIN
#define VANTREL_DATA_FROM_BIN "../share"
#endif

namespace {

constexpr const char* kFileName = "vantrel.ini";

bool IsFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// A copy that fails leaves nothing behind.
void CopyFile(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return;
  TReplacingFile out;
  if (out.Open(to) && out.Write(text.str())) out.Commit();
}

}  // namespace

void MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0700);
    if (slash == std::string::npos) return;
  }
}

std::string ProgramDir() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? "." : exe.parent_path().string();
}

std::string SharedDataDir(const std::string& programDir) {
  return programDir + "/" + VANTREL_DATA_FROM_BIN;
}

namespace {

// <config home>/vantrel/vantrel.ini, or empty when there is no user folder to go to.
std::string UserSettingsFile(const SettingsPlaces& places) {
  // A relative $XDG_CONFIG_HOME is invalid and ignored.
  std::string config = places.configHome;
  if (config.empty() || config.front() != '/') {
    if (places.home.empty()) return {};
    config = places.home + "/.config";
  }
  return config + "/vantrel/" + kFileName;
}

}  // namespace

std::string LocateSettingsFile(const SettingsPlaces& places) {
  const std::string beside = places.programDir + "/" + kFileName;
  if (IsFile(beside)) return beside;
  const std::string file = UserSettingsFile(places);
  if (file.empty()) return beside;
  const std::string folder = file.substr(0, file.rfind('/'));
  // The folder is made even without defaults to copy, so the settings can be written back.
  if (!IsFile(file)) {
    MakeFolders(folder);
    if (IsFile(places.shippedDefaults)) CopyFile(places.shippedDefaults, file);
  }
  return file;
}

std::string FindSettingsFile(const SettingsPlaces& places) {
  const std::string beside = places.programDir + "/" + kFileName;
  if (IsFile(beside)) return beside;
  const std::string file = UserSettingsFile(places);
  if (!file.empty() && IsFile(file)) return file;
  if (IsFile(places.shippedDefaults)) return places.shippedDefaults;
  return file.empty() ? beside : file;
}

SettingsPlaces PlacesOfThisProgram() {
  SettingsPlaces places;
  places.programDir = ProgramDir();
  if (const char* config = std::getenv("XDG_CONFIG_HOME")) places.configHome = config;
  if (const char* home = std::getenv("HOME"); home && *home) {
    places.home = home;
  } else if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) {
    places.home = user->pw_dir;
  }
  places.shippedDefaults = SharedDataDir(places.programDir) + "/vantrel/" + kFileName;
  return places;
}
