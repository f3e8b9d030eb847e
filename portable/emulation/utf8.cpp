// The codec's checks and conversions on standard strings. No system calls.
#include "portable/emulation/utf8.h"

#include "portable/utf.h"

namespace emulation {

void AppendUtf8(char32_t codePoint, std::string* out) {
  char bytes[4];
  out->append(bytes, utf::Encode(codePoint, bytes));
}

std::string Windows1252ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char c : text)
    AppendUtf8(utf::FromWindows1252(static_cast<unsigned char>(c)), &out);
  return out;
}

std::string AsUtf8(const std::string& text) {
  return utf::IsValid(text.data(), text.size()) ? text
                                                : Windows1252ToUtf8(text);
}

std::vector<char32_t> DecodeUtf8(const std::string& text) {
  std::vector<char32_t> out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t i = 0; i < text.size();) {
    unsigned used = 0;
    out.push_back(utf::Decode(bytes + i, text.size() - i, &used));
    i += used;
  }
  return out;
}

}  // namespace emulation
