// Draws the timeline window of a script as the given settings play it, from the middle pose,
// into a PNG file: the README's picture, made again with scripts/screenshot.
#include <QApplication>
#include <iostream>

#include "applied_settings.h"
#include "file_process.h"
#include "option_store.h"
#include "timeline_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 4) {
    std::cerr << "usage: timeline_picture SCRIPT SETTINGS PICTURE.png\n";
    return 2;
  }
  try {
    TFileProcess file;
    file.RecordSource = argv[1];
    TRoboPath script;
    script.load(file);
    const OptionStore store(argv[2]);
    TimelineArm arm;
    arm.start.fill(kStartPosition);
    const AppliedSettings settings = ReadAppliedSettings(store);
    arm.settings = {
        {settings.arm, store.tables, settings.minToolY}, settings.motion, settings.moveLine};
    arm.belowTable = TablePlaneOf(arm.settings.workspace);
    SetTimelineArmSource([&arm] { return arm; });
    TfrmTimeline window([&script] {
      std::vector<TServoCommand> commands;
      for (const auto& c : script.commands) commands.push_back(*c);
      return commands;
    });
    window.resize(720, 340);
    window.show();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[3]))) {
      std::cerr << "timeline_picture: unable to write " << argv[3] << "\n";
      return 1;
    }
  } catch (const std::exception& e) {
    std::cerr << "timeline_picture: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
