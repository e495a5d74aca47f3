// vantrel serve: the arm on the run's port and on the MQTT broker of the settings, until
// Ctrl-C or SIGTERM.
#include <poll.h>

#include "error_report.h"
#include "errors.h"
#include "serve_arm.h"
#include "translate.h"

int RunServe(const ParsedArgs& args, CliEnvironment& env) {
  const OptionStore settings = LoadRunSettings(args, env);
  BrokerSettings broker = BrokerSettingsOf(settings);
  if (args.HasValue("--arm")) broker.arm = args.Value("--arm");
  if (broker.host.empty()) {
    throw EDetailedError(Tr("No broker to serve the arm on"), Tr("mqttHost is empty"));
  }
  if (broker.arm.empty() || broker.arm.find_first_of("/+#") != std::string::npos) {
    throw UsageError(TrFormat("'{1}' cannot name an arm on the broker", {broker.arm}));
  }

  // The stop is armed before the port opens, so Ctrl-C never leaves the port half set up.
  std::optional<SignalClock> signalClock;
  CliClock& signals = env.clock ? *env.clock : signalClock.emplace();
  CliArm arm(settings, RunPortName(settings, args));
  arm.port.SetWriteCancelFd(signals.StopFd());
  BrokerLink link(broker);
  ServeClock clock(signals, link.WakeFd());
  ServeArm remoteArm(arm, settings, clock);

  SessionOptions options = SessionOptionsOf(settings);
  options.stopping = [&] { return signals.StopRequested(); };
  options.say = [&](const std::string& text) {
    std::fprintf(env.err, "%s\n", ErrorLine(text).c_str());
    std::fflush(env.err);
  };
  RemoteSession session(link, remoteArm, options);
  if (!args.Has("--quiet")) {
    std::fprintf(env.err, "%s\n",
                 ErrorLine(TrFormat("serving arm {1} on port {2}; Ctrl-C ends",
                                    {broker.arm, RunPortName(settings, args)}))
                     .c_str());
    std::fflush(env.err);
  }
  while (!signals.StopRequested()) {
    session.Serve();
    // Woken by a message or a stop; otherwise once a tick, for a state not yet published.
    clock.SleepFor(remoteArm.Tick());
  }
  if (arm.OnVirtualController()) {
    std::fprintf(env.out, "%s\n", arm.VirtualControllerReport(remoteArm.framesSent()).c_str());
  }
  return kExitOk;
}
