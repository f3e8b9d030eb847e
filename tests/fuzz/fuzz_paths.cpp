// Command-line splitting and drive-Z: path mapping with arbitrary texts.
// Promises: any line splits without harm into pieces of its own text; any
// program and arguments quoted by the Windows rules split back into exactly
// themselves; a native path survives the way to Z: and back; a mapped path
// holds no backslash, starts at the root when it came from Z: and is empty
// for any other drive; the name and folder of a path are pieces of it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "portable/emulation/paths.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string Without(std::string text, char gone) {
  std::string out;
  for (char c : text) {
    if (c != gone) out += c;
  }
  return out;
}

// An argument as Windows programs expect it quoted: in double quotes, a
// quote escaped with a backslash, and the backslashes before a quote (or
// before the closing one) doubled.
std::string Quote(const std::string& arg) {
  std::string out = "\"";
  std::size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
    } else {
      if (c == '"') out.append(slashes + 1, '\\');
      slashes = 0;
    }
    out += c;
  }
  out.append(slashes, '\\');
  return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);

  const std::string line = input.ConsumeRandomLengthString(400);
  for (const std::string& piece : emulation::SplitCommandLine(line))
    for (char c : piece) Check(line.find(c) != std::string::npos);

  std::vector<std::string> args = {
      Without(input.ConsumeRandomLengthString(60), '"')};
  std::string commandLine = "\"" + args[0] + "\"";
  for (int n = input.ConsumeIntegralInRange(0, 4); n > 0; --n) {
    args.push_back(input.ConsumeRandomLengthString(60));
    commandLine += " " + Quote(args.back());
  }
  Check(emulation::SplitCommandLine(commandLine) == args);

  const std::string native =
      "/" + Without(input.ConsumeRandomLengthString(200), '\\');
  Check(emulation::ToNativePath(emulation::ToWindowsPath(native)) == native);

  const std::string path = input.ConsumeRemainingBytesAsString();
  const std::string mapped = emulation::ToNativePath(path);
  Check(mapped.find('\\') == std::string::npos);
  if (path.size() >= 2 && path[1] == ':') {
    const bool z = path[0] == 'z' || path[0] == 'Z';
    Check(z ? mapped[0] == '/' : mapped.empty());
  }
  const std::string name = emulation::NameOf(path);
  Check(name.find_first_of("\\/") == std::string::npos);
  Check(path.size() >= name.size() &&
        path.compare(path.size() - name.size(), name.size(), name) == 0);
  const std::string folder = emulation::FolderOf(path);
  Check(folder == "." || path.compare(0, folder.size(), folder) == 0);
  return 0;
}
