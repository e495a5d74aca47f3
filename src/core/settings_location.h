// Where the program finds its installed files and its settings file.
#pragma once

#include <string>

// Like mkdir -p; new folders are private to the user, as XDG asks for its folders. A folder
// that cannot be made shows when the file in it cannot be written.
void MakeFolders(const std::string& path);

// Folder of the running program, without a trailing '/'.
std::string ProgramDir();
// The shared data folder (share/) that belongs to a program in `programDir`: the installed
// layout's share/ beside bin/, which in a build tree is the build's share/ folder.
std::string SharedDataDir(const std::string& programDir);

struct SettingsPlaces {
  std::string programDir;       // folder of the running program
  std::string configHome;       // $XDG_CONFIG_HOME, empty when unset
  std::string home;             // the user's home folder, empty when unknown
  std::string shippedDefaults;  // the installed settings a user's first file is copied from
};

// The settings file of a program started without --settings: "vantrel.ini" beside the program
// when that file exists (a build tree, a portable copy); otherwise the user's
// <config home>/vantrel/vantrel.ini, made as a copy of the shipped defaults when it does not
// exist yet. Nothing is ever written into the program folder, so an installed program works
// from a read-only one. When the copy cannot be made the path is still returned: the program
// then starts on the built-in settings and reports the failure when it writes them back.
std::string LocateSettingsFile(const SettingsPlaces& places);

// The file LocateSettingsFile would give, for a run that writes nothing: where the user has no
// settings file yet, the shipped defaults themselves instead of a copy.
std::string FindSettingsFile(const SettingsPlaces& places);

// The places of this process: its program folder, $XDG_CONFIG_HOME and the home folder.
SettingsPlaces PlacesOfThisProgram();
