#include "checker/medium.h"

#include <cstdio>
#include <vector>

#include "checker/host.h"
#include "checker/lint_scan.h"
#include "checker/recorder.h"
#include "config/keys.h"
#include "launcher/launcher.h"
#include "platform/seam.h"
#include "portable/emulation/paths.h"

namespace check {

namespace {

const char kHiddenStart[] = ".autorun";
const char kLauncherName[] = "autorun";
const char kStartScript[] = "autorun.sh";
const char kWithoutBits[] =
    "FAT sticks, Joliet and plain ISO 9660 discs, noexec mounts";

bool Exists(emulation::System& system, const std::string& path) {
  return system.Inspect(path).kind != emulation::Entry::kNone;
}

}  // namespace

void CheckLinuxMedium(const emulation::Windows& windows,
                      const std::string& folder, bool print,
                      const WarningSink& warn) {
  emulation::System& system = windows.system();
  FolderSystem bare(HostSystem(), folder, system.OwnPath());
  bare.ClearExecuteBits();
  const emulation::Windows withoutBits(bare, emulation::Rules::kLinux,
                                       windows.ownFiles());
  const std::string hidden = emulation::Join(folder, kHiddenStart, '/');
  const std::string launcher = emulation::Join(folder, kLauncherName, '/');
  const std::string script = emulation::Join(folder, kStartScript, '/');
  const bool haveLauncher = Exists(system, launcher);
  const bool haveScript = Exists(system, script);
  std::vector<Warning> warnings;

  if (print) {
    check::Print("medium (a Linux desktop looks for %s, %s and %s, in turn):\n",
                 kHiddenStart, kLauncherName, kStartScript);
    check::Print("  %s: %s\n", kHiddenStart,
                 Exists(system, hidden)
                     ? "present: desktops start it first, not the launcher"
                     : "none");
  }
  if (Exists(system, hidden))
    warnings.push_back({Code::kHiddenStart, kHiddenStart, 0, 0,
                        "desktops start it before autorun and autorun.sh: "
                        "the launcher would not start (remove it)"});

  const emulation::Start direct = windows.LinuxProgram(launcher);
  if (print) {
    if (!haveLauncher)
      check::Print("  %s: missing (copy the Linux launcher here as %s)\n",
                   kLauncherName, kLauncherName);
    else if (platform::Started(direct.result))
      check::Print(
          "  %s: %s: started where the medium keeps execute bits (Rock "
          "Ridge discs, Linux file systems)\n",
          kLauncherName, direct.interpreter.empty() ? "a program" : "a script");
    else
      check::Print("  %s: cannot start (%s)\n", kLauncherName,
                   direct.why.c_str());
    check::Print("  %s: %s\n", kStartScript,
                 haveScript ? "run with /bin/sh where autorun cannot start ("
                              "no execute bits: FAT sticks, Joliet and plain "
                              "ISO 9660 discs; noexec mounts)"
                            : "missing");
  }
  if (haveLauncher && !haveScript)
    warnings.push_back({Code::kNoStartScript, kStartScript, 0, 0,
                        std::string("is missing: on media without execute "
                                    "bits (") +
                            kWithoutBits +
                            ") nothing starts the launcher; copy it from the "
                            "package beside autorun"});

  // The setup, as the launcher would start it on either kind of medium.
  Prepare(Situation());
  RunSetup();
  const std::vector<Event> run = Recorded();
  for (const Event& e : run) {
    if (e.kind != Event::kStart || !platform::Started(e.start.result)) continue;
    const emulation::Start start = withoutBits.LinuxStart(e.text);
    if (print)
      check::Print("  setup without execute bits: %s (%s)\n",
                   platform::Started(start.result) ? "starts" : "cannot start",
                   start.why.c_str());
    if (!platform::Started(start.result))
      warnings.push_back(
          {Code::kSetupNeedsExecuteBits, kSettingsFileName, 0, 0,
           "SetupName " + Quoted(Setting(kSetupName)) +
               " cannot start from a medium without execute bits (" +
               kWithoutBits + "): " + start.program + ": " + start.why +
               "; ship the setup as a script, or make the disc with Rock "
               "Ridge"});
  }
  for (const Warning& w : warnings) warn(w);
}

}  // namespace check
