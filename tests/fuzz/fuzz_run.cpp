// A whole run of the launcher on the scripted platform, with the three files,
// WIN.INI, the launcher's path, the windows, the answers, the start results
// and injected read and box failures all taken from the input. Promises: the
// result is 0; every caption and text fits a box (at most 255 characters,
// but for the notice that names a path the system does not take, whole);
// at most two starts, each exactly the installed command or the setup
// command line that the rules give from the files (or what a failed read
// leaves: the empty command, the line for an empty SetupName); setup never
// starts before the command, and nothing starts twice.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "config/text.h"
#include "launcher/launcher.h"
#include "platform/scripted/scripted.h"
#include "portable/ini/ini_reader.h"
#include "resolve_model.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

const char kFolder[] = "C:\\APP\\DISK1\\";
const char kPathNotice[] =
    "This path is longer than the system allows, so nothing is read or "
    "started from it: ";

// A path value (IniFile, Command, SetupName) as the launcher reads it; one
// that was cut reads as "" (the launcher never uses a cut path or command
// line).
std::string Value(const std::string* text, const char* section,
                  const char* key) {
  if (text == nullptr) return "";
  ini::MemorySource source(text->data(), text->size());
  char buffer[text::kPathSize];
  bool cut = false;
  ini::GetString(&source, section, key, "", buffer, sizeof buffer, &cut);
  return cut ? "" : buffer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  if (input.ConsumeBool())
    world.launcherPath = input.ConsumeRandomLengthString(300);
  const std::string settings = input.ConsumeRandomLengthString(3000);
  const std::string messages = input.ConsumeRandomLengthString(3000);
  const std::string installed = input.ConsumeRandomLengthString(1000);
  const std::string winIni = input.ConsumeRandomLengthString(200);
  world.windowClasses.insert(input.ConsumeRandomLengthString(40));
  for (int i = input.ConsumeIntegralInRange(0, 6); i > 0; --i)
    world.answers.push_back(input.PickValueInArray({6, 7, 0, 1}));
  for (int i = input.ConsumeIntegralInRange(0, 3); i > 0; --i)
    world.startResults.push_back(input.ConsumeIntegralInRange(0u, 40u));
  world.failReadAt = input.ConsumeIntegralInRange(0u, 40u);
  world.failBoxAt = input.ConsumeIntegralInRange(0u, 12u);
  const bool withSettings = input.ConsumeBool();
  const std::string launcherPath = world.launcherPath;

  if (withSettings)
    world.SetFile(std::string(kFolder) + "pellomar.ini", settings);
  world.SetFile(std::string(kFolder) + "pellomar.dat", messages);
  world.SetFile("C:\\PROG\\APP.INI", installed);
  world.SetFile("APP.INI", installed);
  world.SetFile("WIN.INI", winIni);

  Check(LauncherMain(nullptr, nullptr, "", 1) == 0);

  for (const scripted::Box& box : world.boxes) {
    Check(box.caption.size() <= 254);
    // The notice for a path the system does not take names it whole.
    const bool pathNotice = box.text.rfind(kPathNotice, 0) == 0;
    Check(
        box.text.size() <= 255 ||
        (pathNotice && box.text.size() < sizeof kPathNotice + text::kPathSize));
  }

  // What the rules make of the files, worked out independently.
  const bool settingsVisible =
      withSettings &&
      !model::KnownLauncherPath(launcherPath, text::kPathSize).empty() &&
      model::Resolve(launcherPath, "pellomar.ini", text::kPathSize) ==
          std::string(kFolder) + "pellomar.ini";
  const std::string* settingsText = settingsVisible ? &settings : nullptr;
  const std::string iniFile = Value(settingsText, "Auto", "IniFile");
  const scripted::World::File* app =
      iniFile.empty() ? nullptr : world.Find(iniFile);
  const std::string command =
      app != nullptr ? Value(&app->content, "Auto", "Command") : "";
  auto isFile = [&world](const std::string& path) {
    return world.Find(path) != nullptr && !world.IsFolder(path);
  };
  const std::string setupName = Value(settingsText, "Auto", "SetupName");
  const std::string setup = setupName.empty()
                                ? ""
                                : model::SetupCommand(launcherPath, setupName,
                                                      isFile, text::kPathSize);
  const std::string setupAfterFailedRead =
      model::SetupCommand(launcherPath, "", isFile, text::kPathSize);

  auto isCommand = [&](const std::string& s) {
    return s == command || s.empty();
  };
  auto isSetup = [&](const std::string& s) {
    return s == setup || s == setupAfterFailedRead || s.empty();
  };
  Check(world.starts.size() <= 2);
  if (world.starts.size() == 2) {
    Check(isCommand(world.starts[0]) && isSetup(world.starts[1]));
  } else if (world.starts.size() == 1) {
    Check(isCommand(world.starts[0]) || isSetup(world.starts[0]));
  }
  return 0;
}
