// The settings table against the shipped file and the man page, and what the store makes of
// missing keys and values out of range.
#include <gtest/gtest.h>

#include <optional>

#include "build_paths.h"
#include "error_report.h"
#include "german_texts.h"
#include "ini_file.h"
#include "option_store.h"
#include "settings_keys.h"
#include "temp_dir.h"
#include "translate.h"

namespace {

const std::string kSource = SourcePath("");

TEST(SettingKeys, TheBuiltInValuesAreTheShippedFilesAndLieInRange) {
  const IniFile shipped = IniFile::Load(kSource + "/resources/vantrel.ini");
  const std::vector<std::string> inFile = shipped.SectionKeys(kOptionsSection);
  EXPECT_EQ(inFile, AllSettingNames());
  for (const std::string& name : inFile) {
    const auto known = FindSetting(name);
    ASSERT_TRUE(known) << name;
    // Keys added later keep older files as they were: their values are their own.
    const bool later = known->key->name == std::string("motion") ||
                       known->key->name == std::string("Speed") ||
                       known->key->name == std::string("Accel");
    if (!later) {
      EXPECT_EQ(known->builtIn, shipped.Read(kOptionsSection, name)) << name;
    }
    if (known->key->number) {
      const int64_t value = std::stoll(known->builtIn);
      EXPECT_TRUE(value >= known->key->min && value <= known->key->max) << name;
    }
  }
  EXPECT_FALSE(FindSetting("sv7Minval"));
  EXPECT_FALSE(FindSetting("sv1"));
  EXPECT_EQ(FindSetting("SV3maxval")->name, "sv3Maxval");
}

// Each key's words, range and built-in value stand in the man page of each language, the words
// as the Options dialog shows them below the table.
TEST(SettingKeys, TheManPagesGiveEveryKeysRangeAndDefault) {
  struct Page {
    const char* path;
    bool german;
    const char* to;
    const char* builtInWord;
  };
  const Page pages[] = {{"/resources/man/vantrel.1", false, " to ", "Default: "},
                        {"/resources/man/de/vantrel.1", true, " bis ", "Vorgabe: "}};
  for (const Page& p : pages) {
    SCOPED_TRACE(p.path);
    const std::string page = ReadFile(kSource + p.path);
    std::optional<GermanTexts> german;
    if (p.german) german.emplace(ShippedLocaleDir());
    for (const SettingKey& key : SettingKeys()) {
      SCOPED_TRACE(key.name);
      const std::string head =
          key.perServo ? std::string(".BI sv N ") + key.name : std::string(".B ") + key.name;
      const size_t at = page.find("\n.TP\n" + head + "\n");
      ASSERT_NE(at, std::string::npos);
      const std::string entry = page.substr(at, page.find("\n.TP", at + 1) - at);
      std::string words = p.german ? Tr(key.description) : key.description;
      for (size_t n = words.find("{N}"); n != std::string::npos; n = words.find("{N}")) {
        words.replace(n, 3, "\\fIN\\fP");
      }
      for (size_t dash = words.find('-'); dash != std::string::npos;
           dash = words.find('-', dash + 2)) {
        words.replace(dash, 1, "\\-");
      }
      EXPECT_NE(entry.find(words), std::string::npos) << entry;
      if (key.number) {
        EXPECT_NE(entry.find(std::to_string(key.min) + p.to + std::to_string(key.max)),
                  std::string::npos)
            << entry;
      }
      const std::string builtIn = key.builtIn == std::string("{N}") ? "N" : key.builtIn;
      EXPECT_NE(entry.find(p.builtInWord + builtIn), std::string::npos) << entry;
    }
  }
}

// Collects what the store reports instead of printing it.
struct Reports {
  Reports() {
    SetErrorReporter([this](const std::string& message, const std::string& detail) {
      lines.push_back(message + " - " + detail);
    });
  }
  ~Reports() { SetErrorReporter({}); }
  std::vector<std::string> lines;
};

TEST(SettingKeys, AMissingKeyTakesItsBuiltInValueAndStaysOutOfTheFile) {
  TempDir dir;
  const std::string path = dir.File("vantrel.ini");
  WriteFile(path, "[Options]\ncomPort=ttyUSB0\n");
  Reports reports;
  OptionStore store(path);
  EXPECT_EQ(store.ReadOption("comPort"), "ttyUSB0");
  EXPECT_EQ(store.ReadOptionInt("L1"), 12);
  EXPECT_EQ(store.ReadOptionInt("servoComInterval"), 50);
  EXPECT_EQ(store.tables.Maxval[2], 254);
  EXPECT_EQ(store.tables.Address[5], 5);
  ASSERT_EQ(reports.lines.size(), 1u);
  const std::string& warning = reports.lines[0];
  for (const char* named : {"L1=12", "sv2Maxval=254", "joyCentXMin=29000", "baudRate=9600"}) {
    EXPECT_NE(warning.find(named), std::string::npos) << named << " in " << warning;
  }
  // Optional and unused keys are filled in without a word.
  for (const char* quiet : {"jogPad", "Initial"}) {
    EXPECT_EQ(warning.find(quiet), std::string::npos) << quiet;
  }
  store.WriteBack();
  EXPECT_EQ(ReadFile(path), "[Options]\ncomPort=ttyUSB0\n");
  store.WriteOption("servoIncr", "3");
  store.WriteBack();
  EXPECT_EQ(ReadFile(path), "[Options]\ncomPort=ttyUSB0\nservoIncr=3\n");
}

// Positions on the wire stay within 0..254: 255 is the frame's start byte.
TEST(SettingKeys, OutOfRangeValuesTakeTheNearestAllowedOneInOneWarning) {
  struct Case {
    const char* line;
    const char* key;
    int64_t inUse;
    const char* warned;
    int32_t asked;  // a position asked of servo 1
    int sent;       // the position its frame carries
  };
  const Case cases[] = {
      {"sv1Maxval=300", "sv1Maxval", 254, "sv1Maxval=300 -> 254 (0 to 254)", 300, 254},
      {"sv1Maxval=255", "sv1Maxval", 254, "sv1Maxval=255 -> 254", 255, 254},
      {"sv1Minval=-1", "sv1Minval", 0, "sv1Minval=-1 -> 0", -5, 0},
      {"sv1Maxval=-1", "sv1Maxval", 0, "sv1Maxval=-1 -> 0", 127, 0},
      {"sv1Minval=low", "sv1Minval", 0, "not a number, built-in value used: sv1Minval='low' -> 0",
       -5, 0},
      {"servoIncr=100000", "servoIncr", 254, "servoIncr=100000 -> 254", -1, -1},
      {"L1=-3", "L1", 0, "L1=-3 -> 0 (0 to 65535)", -1, -1},
      {"sv1Address=$1FF", "sv1Address", 255, "sv1Address=$1FF -> 255", -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    TempDir dir;
    WriteFile(dir.File("vantrel.ini"), std::string("[Options]\n") + c.line + "\n");
    OptionStore store(dir.File("vantrel.ini"), OptionStore::Problems::Keep);
    EXPECT_EQ(store.ReadOptionNumber(c.key), c.inUse);
    ASSERT_TRUE(store.notice());
    EXPECT_NE(store.notice()->detail.find(c.warned), std::string::npos) << store.notice()->detail;
    if (c.sent < 0) continue;
    ServoState state;
    state.position[1] = c.asked;
    ClampServo(state, store.tables, 1);
    EXPECT_EQ(state.position[1], c.sent);
    EXPECT_EQ(static_cast<uint8_t>(ServoFrameOf(state, store.tables, 1)[2]), c.sent);
  }
}

}  // namespace
