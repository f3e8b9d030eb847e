// The checker on a POSIX system: the Linux layer's own file facts
// (platform/posix/files.cpp), realpath, arguments and output as bytes, and
// Windows code pages through the C library's iconv.
#include <iconv.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "checker/code_page.h"
#include "checker/host.h"
#include "platform/posix/files.h"
#include "portable/utf.h"

namespace check {

namespace {

// A code page through iconv. A byte sequence that is no character of it
// becomes U+FFFD, as Windows shows it.
class IconvCodePage final : public Converter {
 public:
  explicit IconvCodePage(iconv_t converter) : converter_(converter) {}
  ~IconvCodePage() { iconv_close(converter_); }

  unsigned ToUtf8(char* text, unsigned length, unsigned size,
                  bool* cut) const override {
    std::string out;
    char piece[256];
    char* in = text;
    std::size_t left = length;
    iconv(converter_, nullptr, nullptr, nullptr, nullptr);
    while (left > 0) {
      char* at = piece;
      std::size_t room = sizeof piece;
      const std::size_t done = iconv(converter_, &in, &left, &at, &room);
      out.append(piece, static_cast<std::size_t>(at - piece));
      if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
        out += "\xEF\xBF\xBD";
        ++in;
        --left;
      }
    }
    *cut = out.size() > size - 1;
    const std::size_t n =
        *cut ? utf::Boundary(out.data(), out.size(), size - 1) : out.size();
    std::memcpy(text, out.data(), n);
    text[n] = '\0';
    return static_cast<unsigned>(n);
  }

 private:
  iconv_t converter_;
};

}  // namespace

std::unique_ptr<Converter> OpenCodePage(unsigned codePage) {
  const std::string name = "CP" + std::to_string(codePage);
  const iconv_t converter = iconv_open("UTF-8", name.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return nullptr;
  return std::make_unique<IconvCodePage>(converter);
}

emulation::System& HostSystem() { return posix::FileSystem(); }

std::string FullPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? resolved : "";
}

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void Write(std::FILE* stream, const std::string& utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

}  // namespace check
