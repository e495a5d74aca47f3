#include "settings_location.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kShipped = "[Options]\ncomPort=sim\n";

// A machine in a temporary tree: an installed program folder, the shipped defaults beside it
// and a home folder without any settings yet.
class SettingsLocation : public ::testing::Test {
 protected:
  SettingsLocation() {
    fs::create_directories(root.File("usr/bin"));
    fs::create_directories(root.File("usr/share/vantrel"));
    fs::create_directories(root.File("home"));
    WriteFile(root.File("usr/share/vantrel/vantrel.ini"), kShipped);
    places.programDir = root.File("usr/bin");
    places.home = root.File("home");
    places.shippedDefaults = root.File("usr/share/vantrel/vantrel.ini");
  }
  ~SettingsLocation() override {
    // Let the temporary tree be removed whatever a test made read-only.
    for (const auto& entry : fs::recursive_directory_iterator(root.path())) {
      if (entry.is_directory())
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
    }
  }

  TempDir root;
  SettingsPlaces places;
};

TEST_F(SettingsLocation, AFileBesideTheProgramWinsAndNothingElseIsMade) {
  WriteFile(root.File("usr/bin/vantrel.ini"), "[Options]\ncomPort=ttyUSB0\n");
  places.configHome = root.File("config");
  EXPECT_EQ(LocateSettingsFile(places), root.File("usr/bin/vantrel.ini"));
  EXPECT_FALSE(fs::exists(root.File("config")));
  EXPECT_FALSE(fs::exists(root.File("home/.config")));
  EXPECT_EQ(ReadFile(root.File("usr/bin/vantrel.ini")), "[Options]\ncomPort=ttyUSB0\n");
}

TEST_F(SettingsLocation, FirstStartCopiesTheShippedDefaultsIntoAPrivateFolder) {
  places.configHome = root.File("config");
  const std::string path = LocateSettingsFile(places);
  EXPECT_EQ(path, root.File("config/vantrel/vantrel.ini"));
  EXPECT_EQ(ReadFile(path), kShipped);
  struct stat folder {};
  ASSERT_EQ(::stat(root.File("config/vantrel").c_str(), &folder), 0);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);
  EXPECT_TRUE(fs::is_empty(root.File("home")));  // $XDG_CONFIG_HOME, not ~/.config
}

TEST_F(SettingsLocation, WithoutAUsableConfigHomeTheHomeFolderIsUsed) {
  for (const std::string configHome : {"", "relative/config"}) {
    places.configHome = configHome;
    EXPECT_EQ(LocateSettingsFile(places), root.File("home/.config/vantrel/vantrel.ini"))
        << "XDG_CONFIG_HOME=" << configHome;
    EXPECT_EQ(ReadFile(root.File("home/.config/vantrel/vantrel.ini")), kShipped);
  }
  EXPECT_FALSE(fs::exists("relative"));
}

TEST_F(SettingsLocation, AUsersOwnFileIsNeverReplaced) {
  fs::create_directories(root.File("home/.config/vantrel"));
  WriteFile(root.File("home/.config/vantrel/vantrel.ini"), "[Options]\nservoIncr=4\n");
  EXPECT_EQ(LocateSettingsFile(places), root.File("home/.config/vantrel/vantrel.ini"));
  EXPECT_EQ(ReadFile(root.File("home/.config/vantrel/vantrel.ini")), "[Options]\nservoIncr=4\n");

  WriteFile(root.File("home/.config/vantrel/vantrel.ini"),
            "");  // emptied by the user: still theirs
  LocateSettingsFile(places);
  EXPECT_EQ(ReadFile(root.File("home/.config/vantrel/vantrel.ini")), "");
}

TEST_F(SettingsLocation, AReadOnlyProgramFolderIsNeverWritten) {
  ASSERT_EQ(::chmod(root.File("usr/bin").c_str(), 0555), 0);
  EXPECT_EQ(LocateSettingsFile(places), root.File("home/.config/vantrel/vantrel.ini"));
  EXPECT_TRUE(fs::is_empty(root.File("usr/bin")));
  EXPECT_EQ(ReadFile(root.File("home/.config/vantrel/vantrel.ini")), kShipped);

  // A portable copy on a read-only medium is still the one the user put there.
  ASSERT_EQ(::chmod(root.File("usr/bin").c_str(), 0755), 0);
  WriteFile(root.File("usr/bin/vantrel.ini"), "[Options]\n");
  ASSERT_EQ(::chmod(root.File("usr/bin").c_str(), 0555), 0);
  EXPECT_EQ(LocateSettingsFile(places), root.File("usr/bin/vantrel.ini"));
}

TEST_F(SettingsLocation, AFolderNamedLikeTheFileIsNotASettingsFile) {
  fs::create_directories(root.File("usr/bin/vantrel.ini"));
  EXPECT_EQ(LocateSettingsFile(places), root.File("home/.config/vantrel/vantrel.ini"));
}

TEST_F(SettingsLocation, WhenNoCopyCanBeMadeThePathStillComesBack) {
  fs::remove(root.File("usr/share/vantrel/vantrel.ini"));  // a program that is not installed
  EXPECT_EQ(LocateSettingsFile(places), root.File("home/.config/vantrel/vantrel.ini"));
  EXPECT_FALSE(fs::exists(root.File("home/.config/vantrel/vantrel.ini")));
  EXPECT_TRUE(fs::is_directory(root.File("home/.config/vantrel")));  // ready for the write-back

  // ~/.config cannot hold folders (a file in its place stops even root).
  WriteFile(root.File("usr/share/vantrel/vantrel.ini"), kShipped);
  fs::remove_all(root.File("home/.config"));
  WriteFile(root.File("home/.config"), "");
  EXPECT_EQ(LocateSettingsFile(places), root.File("home/.config/vantrel/vantrel.ini"));
  EXPECT_TRUE(fs::is_regular_file(root.File("home/.config")));
}

TEST_F(SettingsLocation, WithNoHomeAtAllTheFileBesideTheProgramIsNamed) {
  places.home.clear();
  EXPECT_EQ(LocateSettingsFile(places), root.File("usr/bin/vantrel.ini"));
  EXPECT_FALSE(fs::exists(root.File("usr/bin/vantrel.ini")));
}

}  // namespace

TEST_F(SettingsLocation, ARunThatWritesNothingReadsTheDefaultsWithoutCopyingThem) {
  EXPECT_EQ(FindSettingsFile(places), root.File("usr/share/vantrel/vantrel.ini"));
  EXPECT_TRUE(fs::is_empty(root.File("home")));
  // Once the user has a file it is the one; a file beside the program still wins.
  WriteFile(LocateSettingsFile(places), "[Options]\ncomPort=ttyACM0\n");
  EXPECT_EQ(FindSettingsFile(places), root.File("home/.config/vantrel/vantrel.ini"));
  WriteFile(root.File("usr/bin/vantrel.ini"), "[Options]\n");
  EXPECT_EQ(FindSettingsFile(places), root.File("usr/bin/vantrel.ini"));
}

TEST_F(SettingsLocation, FoldersAreMadeAtAnyDepth) {
  places.configHome = root.File("a/b/c");
  const std::string path = LocateSettingsFile(places);
  EXPECT_EQ(path, root.File("a/b/c/vantrel/vantrel.ini"));
  EXPECT_EQ(ReadFile(path), kShipped);
}

TEST(ProgramPlaces, TheProgramsFolderAndAHomeEvenWithoutHOME) {
  EXPECT_EQ(ProgramDir(), fs::read_symlink("/proc/self/exe").parent_path().string());
  const char* home = std::getenv("HOME");
  const std::string saved = home ? home : "";
  const std::string userHome = ::getpwuid(::getuid())->pw_dir;
  ::setenv("HOME", "/somewhere/else", 1);
  EXPECT_EQ(PlacesOfThisProgram().home, "/somewhere/else");
  ::setenv("HOME", "", 1);
  EXPECT_EQ(PlacesOfThisProgram().home, userHome);
  ::unsetenv("HOME");
  EXPECT_EQ(PlacesOfThisProgram().home, userHome);
  if (home) ::setenv("HOME", saved.c_str(), 1);
}
