// Strict UTF-8 checks and Windows-1252 conversion. No system calls.
#include "platform/emulation/utf8.h"

namespace emulation {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 from 0x80 to 0x9F; 0 marks the five undefined bytes.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::size_t Utf8SequenceLength(const unsigned char* text, std::size_t size) {
  if (size == 0) return 0;
  const unsigned char lead = text[0];
  if (lead < 0x80) return 1;
  // The second byte's range rules out overlong forms (E0, F0), surrogates
  // (ED) and code points above U+10FFFF (F4); C0, C1 and F5 to FF never lead.
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (size < length || text[1] < low || text[1] > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!IsContinuation(text[i])) return 0;
  }
  return length;
}

bool IsStrictUtf8(const std::string& text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceLength(bytes + i, text.size() - i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

void AppendUtf8(char32_t codePoint, std::string* out) {
  if (codePoint < 0x80) {
    *out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    *out += static_cast<char>(0xC0 | (codePoint >> 6));
    *out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    *out += static_cast<char>(0xE0 | (codePoint >> 12));
    *out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (codePoint >> 18));
    *out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

std::string Windows1252ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    char32_t codePoint = byte;
    if (byte >= 0x80 && byte < 0xA0) {
      codePoint = kWindows1252High[byte - 0x80];
      if (codePoint == 0) codePoint = kReplacement;
    }
    AppendUtf8(codePoint, &out);
  }
  return out;
}

std::string AsUtf8(const std::string& text) {
  return IsStrictUtf8(text) ? text : Windows1252ToUtf8(text);
}

std::vector<char32_t> DecodeUtf8(const std::string& text) {
  std::vector<char32_t> out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceLength(bytes + i, text.size() - i);
    if (length == 0) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    char32_t codePoint = length == 1 ? bytes[i] : bytes[i] & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k)
      codePoint = (codePoint << 6) | (bytes[i + k] & 0x3F);
    out.push_back(codePoint);
    i += length;
  }
  return out;
}

}  // namespace emulation
