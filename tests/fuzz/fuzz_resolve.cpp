// Resolution beside the launcher with arbitrary launcher paths and names.
// Promises: the result fits (at most 254 characters, terminated, nothing
// written past the buffer) and is exactly what the rules give, or empty when
// that would not fit: never a cut path.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "config/readers.h"
#include "platform/scripted/scripted.h"
#include "resolve_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string launcher = input.ConsumeRandomLengthString(400);
  const std::string rawName = input.ConsumeRemainingBytesAsString();
  const std::string name = rawName.substr(0, rawName.find('\0'));

  scripted::World& world = scripted::TheWorld();
  world.Reset();
  world.launcherPath = launcher;
  char buffer[257];
  std::memset(buffer, 0x55, sizeof buffer);
  ResolveBesideLauncher(buffer, 255, name.c_str());
  if (buffer[255] != 0x55 || buffer[256] != 0x55) std::abort();
  const std::size_t n = std::strlen(buffer);
  if (n > 254) std::abort();
  if (std::string(buffer) != model::Resolve(launcher, name, 255)) std::abort();
  return 0;
}
