#include "settings_keys.h"

#include <array>

#include "ini_file.h"
#include "servo_state.h"
#include "translate.h"

namespace {

constexpr int64_t kMaxPosition = 254;  // 255 is the frame's start byte
constexpr int64_t k16Bits = 65535;

// The built-in values are those of the shipped vantrel.ini, but for keys added since, whose
// built-in values keep older files working as they did.
constexpr std::array kKeys{
    SettingKey{
        .name = "comPort",
        .builtIn = "sim",
        .description = TrNoop("Serial port of the servo controller, or sim for the virtual one")},
    SettingKey{.name = "baudRate",
               .builtIn = "9600",
               .description = TrNoop("Line speed in baud; an unknown speed selects 9600")},
    SettingKey{.name = "parityCheck",
               .number = true,
               .max = 1,
               .builtIn = "0",
               .description = TrNoop("Parity checking on the line: 1 on, 0 off")},
    SettingKey{.name = "stopBits",
               .builtIn = "1",
               .description = TrNoop("Stop bits: 1, 1.5 or 2; any other text selects 1")},
    SettingKey{.name = "dataBits",
               .builtIn = "8",
               .description = TrNoop("Data bits: 5 to 8; any other text selects 8")},
    SettingKey{
        .name = "servoIncr",
        .number = true,
        .max = kMaxPosition,
        .builtIn = "2",
        .description = TrNoop("Position units a jogged servo moves per tick; 0 stops jogging")},
    SettingKey{
        .name = "servoComInterval",
        .number = true,
        .max = k16Bits,
        .builtIn = "50",
        .description = TrNoop("Period of the control tick in milliseconds; 0 stops the tick")},
    SettingKey{
        .name = "H",
        .number = true,
        .max = k16Bits,
        .builtIn = "8",
        .description = TrNoop("Height of the shoulder joint above the base, in centimetres")},
    SettingKey{.name = "L1",
               .number = true,
               .max = k16Bits,
               .builtIn = "12",
               .description = TrNoop("Upper-arm length, shoulder to elbow, in centimetres")},
    SettingKey{.name = "L2",
               .number = true,
               .max = k16Bits,
               .builtIn = "12",
               .description = TrNoop("Forearm length, elbow to wrist, in centimetres")},
    SettingKey{.name = "L3",
               .number = true,
               .max = k16Bits,
               .builtIn = "6",
               .description = TrNoop("Hand length, wrist to tool point, in centimetres")},
    // Added after the first built-in values; the table plane at the base origin keeps older
    // files' Moves as they were, bar the points under it.
    SettingKey{
        .name = "minToolY",
        .number = true,
        .min = -1000,
        .max = 1000,
        .builtIn = "0",
        .quietWhenMissing = true,
        .description = TrNoop("Height of the table plane above the base origin, in centimetres")},
    SettingKey{.name = "jogStep",
               .number = true,
               .min = 1,
               .max = 100,
               .builtIn = "5",
               .quietWhenMissing = true,
               .description =
                   TrNoop("Millimetres the tool point moves per tick while jogging X, Y and Z")},
    SettingKey{
        .name = "moveLine",
        .number = true,
        .max = 1,
        .builtIn = "0",
        .quietWhenMissing = true,
        .description = TrNoop("1: a smooth Move takes the tool point along a straight line")},
    SettingKey{
        .name = "joyMaxX",
        .number = true,
        .max = k16Bits,
        .builtIn = "65535",
        .description = TrNoop("Largest joystick X reading; set by the Joystick calibration")},
    SettingKey{
        .name = "joyMaxY",
        .number = true,
        .max = k16Bits,
        .builtIn = "65535",
        .description = TrNoop("Largest joystick Y reading; set by the Joystick calibration")},
    SettingKey{.name = "joyCentXMin",
               .number = true,
               .max = k16Bits,
               .builtIn = "29000",
               .description = TrNoop("Left edge of the joystick's centre window (its dead zone)")},
    SettingKey{.name = "joyCentXMax",
               .number = true,
               .max = k16Bits,
               .builtIn = "36535",
               .description = TrNoop("Right edge of the joystick's centre window")},
    SettingKey{.name = "joyCentYMin",
               .number = true,
               .max = k16Bits,
               .builtIn = "29000",
               .description = TrNoop("Upper edge of the joystick's centre window")},
    SettingKey{.name = "joyCentYMax",
               .number = true,
               .max = k16Bits,
               .builtIn = "36535",
               .description = TrNoop("Lower edge of the joystick's centre window")},
    SettingKey{.name = "jogPad",
               .builtIn = "auto",
               .quietWhenMissing = true,
               .description = TrNoop("Jog pad at start: 1 always, 0 never, else when no joystick")},
    // Added after the first built-in values: older files lack it and play as before.
    SettingKey{.name = "motion",
               .builtIn = "classic",
               .quietWhenMissing = true,
               .description = TrNoop("How playback moves the arm: classic or smooth")},
    // Added with the other board families: older files drive the program's own board.
    SettingKey{
        .name = "controller",
        .builtIn = "vantrel",
        .quietWhenMissing = true,
        .description = TrNoop("Servo board: vantrel, ssc32, maestro, minissc, sts or lx16a")},
    SettingKey{.name = "teachInterval",
               .number = true,
               .min = 10,
               .max = k16Bits,
               .builtIn = "100",
               .quietWhenMissing = true,
               .description = TrNoop("Milliseconds between two samples of Teach")},
    // The broker keys came later; off when missing.
    SettingKey{.name = "mqttHost",
               .quietWhenMissing = true,
               .description = TrNoop("MQTT broker the arm is served on; empty: none")},
    SettingKey{.name = "mqttPort",
               .number = true,
               .min = 1,
               .max = k16Bits,
               .builtIn = "1883",
               .quietWhenMissing = true,
               .description = TrNoop("Port of the MQTT broker")},
    SettingKey{.name = "mqttArm",
               .quietWhenMissing = true,
               .description = TrNoop("The arm's name on the broker; empty: this machine's name")},
    SettingKey{.name = "mqttControl",
               .number = true,
               .max = 1,
               .builtIn = "0",
               .quietWhenMissing = true,
               .description = TrNoop("1: the arm takes commands from the broker; 0: it only "
                                     "publishes its state")},
    SettingKey{.name = "mqttUser",
               .quietWhenMissing = true,
               .description = TrNoop("User name at the broker; empty: none")},
    SettingKey{.name = "mqttPassword",
               .quietWhenMissing = true,
               .description = TrNoop("Password at the broker")},
    SettingKey{
        .name = "mqttCaFile",
        .quietWhenMissing = true,
        .description = TrNoop("CA certificate file; when set, the broker is reached over TLS")},
    SettingKey{.name = "mqttMaxAge",
               .number = true,
               .min = 1,
               .max = 3600,
               .builtIn = "2",
               .quietWhenMissing = true,
               .description = TrNoop("Seconds a command may wait before it is refused as too old")},
    SettingKey{
        .name = "maxServoTemp",
        .number = true,
        .min = 20,
        .max = 150,
        .builtIn = "70",
        .quietWhenMissing = true,
        .description = TrNoop("Degrees Celsius a bus servo may reach before all motion halts")},
    SettingKey{.name = "Minval",
               .perServo = true,
               .number = true,
               .max = kMaxPosition,
               .builtIn = "0",
               .description = TrNoop("Lowest position servo {N} may take")},
    SettingKey{.name = "Maxval",
               .perServo = true,
               .number = true,
               .max = kMaxPosition,
               .builtIn = "254",
               .description = TrNoop("Highest position servo {N} may take; wins over the lowest")},
    SettingKey{.name = "Address",
               .perServo = true,
               .number = true,
               .max = 255,
               .builtIn = "{N}",
               .description = TrNoop("Address of servo {N} on the servo controller")},
    SettingKey{.name = "Initial",
               .perServo = true,
               .number = true,
               .max = kMaxPosition,
               .builtIn = "127",
               .quietWhenMissing = true,
               .description = TrNoop("The home position of servo {N}")},
    // -1 takes the board family's own value (board_factory.h).
    SettingKey{.name = "Channel",
               .perServo = true,
               .number = true,
               .min = -1,
               .max = 254,
               .builtIn = "-1",
               .quietWhenMissing = true,
               .description = TrNoop("Board channel or bus id of servo {N}; -1: {N} on bus "
                                     "servos, one less on the other boards")},
    SettingKey{.name = "Low",
               .perServo = true,
               .number = true,
               .min = -1,
               .max = k16Bits,
               .builtIn = "-1",
               .quietWhenMissing = true,
               .description = TrNoop("Board units (microseconds or steps) of servo {N} at "
                                     "position 0; -1: the board's own")},
    SettingKey{.name = "High",
               .perServo = true,
               .number = true,
               .min = -1,
               .max = k16Bits,
               .builtIn = "-1",
               .quietWhenMissing = true,
               .description = TrNoop("Board units (microseconds or steps) of servo {N} at "
                                     "position 254; -1: the board's own")},
    SettingKey{
        .name = "Speed",
        .perServo = true,
        .number = true,
        .max = k16Bits,
        .builtIn = "0",
        .quietWhenMissing = true,
        .description = TrNoop("Top speed of servo {N} in smooth moves, in positions per second; "
                              "0 is no limit")},
    SettingKey{
        .name = "Accel",
        .perServo = true,
        .number = true,
        .max = k16Bits,
        .builtIn = "0",
        .quietWhenMissing = true,
        .description = TrNoop("Acceleration of servo {N} in smooth moves, in positions per second "
                              "per second; 0 is no limit")},
};

std::string WithServo(std::string text, int servo) {
  for (size_t at = text.find("{N}"); at != std::string::npos; at = text.find("{N}", at)) {
    text.replace(at, 3, std::to_string(servo));
  }
  return text;
}

KnownSetting Resolve(const SettingKey& key, int servo) {
  KnownSetting known;
  known.key = &key;
  known.servo = servo;
  known.name = key.perServo ? "sv" + std::to_string(servo) + key.name : key.name;
  known.builtIn = WithServo(key.builtIn, servo);
  return known;
}

}  // namespace

std::span<const SettingKey> SettingKeys() {
  return kKeys;
}

std::string KnownSetting::Description() const {
  return key ? WithServo(Tr(key->description), servo) : std::string();
}

std::string KnownSetting::Range() const {
  if (!key || !key->number) return {};
  return TrFormat("{1} to {2}", {std::to_string(key->min), std::to_string(key->max)});
}

std::optional<KnownSetting> FindSetting(const std::string& name) {
  // Per-servo keys: "sv", one digit 1..6, the suffix.
  int servo = 0;
  std::string suffix;
  if (name.size() > 3 && (name[0] == 's' || name[0] == 'S') && (name[1] == 'v' || name[1] == 'V') &&
      name[2] >= '1' && name[2] < '1' + kServoCount) {
    servo = name[2] - '0';
    suffix = name.substr(3);
  }
  for (const SettingKey& key : kKeys) {
    if (key.perServo ? (servo != 0 && SameTextIgnoringCase(suffix, key.name))
                     : SameTextIgnoringCase(name, key.name)) {
      return Resolve(key, key.perServo ? servo : 0);
    }
  }
  return std::nullopt;
}

std::vector<std::string> AllSettingNames() {
  std::vector<std::string> names;
  for (const SettingKey& key : kKeys) {
    if (!key.perServo) names.push_back(key.name);
  }
  // The per-servo keys servo by servo, as the shipped file has them.
  for (int servo = 1; servo <= kServoCount; ++servo) {
    for (const SettingKey& key : kKeys) {
      if (key.perServo) names.push_back(Resolve(key, servo).name);
    }
  }
  return names;
}
