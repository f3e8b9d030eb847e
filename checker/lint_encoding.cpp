// The encoding checks ride on the reader's own scan: a source that counts NUL
// bytes among the first ones, and a visitor that speaks before the first line.
#include "checker/lint_encoding.h"

#include <algorithm>

#include "portable/utf.h"

namespace check {

namespace {

// How many first bytes of a file tell whether it is UTF-16 without a mark.
constexpr std::size_t kSniffedBytes = 4096;

// Passes a file's bytes on and counts the NUL bytes among the first ones.
class Sniffer final : public ini::Source {
 public:
  explicit Sniffer(ini::Source& source) : source_(source) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    const std::size_t n = source_.Read(buffer, capacity);
    for (std::size_t i = 0; i < n && seen_ < kSniffedBytes; ++i, ++seen_)
      nuls_ += buffer[i] == '\0';
    return n;
  }
  bool Rewind() override {
    seen_ = nuls_ = 0;
    return source_.Rewind();
  }
  // Enough bytes, and a quarter of them NUL.
  bool LooksLikeUtf16() const { return seen_ >= 4 && nuls_ * 4 > seen_; }

 private:
  ini::Source& source_;
  std::size_t seen_ = 0;
  std::size_t nuls_ = 0;
};

// Says how a file's text is read, before its lines: which code page turns
// an 8-bit file into UTF-8 (a note), and a file that looks like UTF-16
// without its mark, which every launcher reads as 8-bit text and finds
// nothing in (a warning).
class EncodingCheck final : public ini::LineVisitor {
 public:
  EncodingCheck(const std::string& shown, const std::string& codePage,
                Sniffer& sniffer, ini::LineVisitor& lines,
                const WarningSink& warn)
      : shown_(shown),
        codePage_(codePage),
        sniffer_(sniffer),
        lines_(lines),
        warn_(warn) {}

  void Begin(ini::Encoding encoding) override {
    const bool utf16 = encoding == ini::Encoding::kUtf16Le ||
                       encoding == ini::Encoding::kUtf16Be;
    if (!utf16 && sniffer_.LooksLikeUtf16())
      warn_({Code::kUtf16WithoutMark, shown_, 0, 0,
             "looks like UTF-16 without a byte-order mark: the launcher "
             "reads it as 8-bit text and finds nothing (save it with the "
             "mark)"});
    else if (encoding == ini::Encoding::kCodePage)
      warn_({Code::kCodePage, shown_, 0, 0,
             "is 8-bit text, not UTF-8: read in " + codePage_ +
                 " (save it as UTF-8 or UTF-16 to show the same on every "
                 "system)"});
    lines_.Begin(encoding);
  }
  void Visit(const ini::Line& line) override { lines_.Visit(line); }

 private:
  const std::string& shown_;
  const std::string& codePage_;
  Sniffer& sniffer_;
  ini::LineVisitor& lines_;
  const WarningSink& warn_;
};

}  // namespace

bool ScanFile(const emulation::Windows& windows, const std::string& codePage,
              const std::string& native, const std::string& shown,
              ini::LineVisitor* visitor, const WarningSink& warn) {
  char value[text::kPathSize];
  return windows.system().Read(native, [&](ini::Source& source) {
    Sniffer sniffer(source);
    EncodingCheck check(shown, codePage, sniffer, *visitor, warn);
    ini::Scan(&sniffer, value, sizeof value, &check, &windows.codePage());
  });
}

std::string DoesNotFit(const std::string& key, const ini::Line& line,
                       ini::Encoding encoding, std::size_t longest) {
  if (!line.valueCut && line.valueLength <= longest) return "";
  std::size_t widest = 1;
  const auto* bytes = reinterpret_cast<const unsigned char*>(line.value);
  for (std::size_t i = 0; i < line.valueLength;) {
    const std::size_t n = std::max<std::size_t>(
        1, utf::SequenceLength(bytes + i, line.valueLength - i));
    widest = std::max(widest, n);
    i += n;
  }
  std::string problem =
      key + " is longer than " + std::to_string(longest) + " bytes" +
      (encoding == ini::Encoding::kCodePage ? " once read into UTF-8" : "") +
      " and is cut";
  if (widest > 1)
    problem +=
        " (at " + std::to_string(widest) + " bytes a character in UTF-8, " +
        std::to_string(longest / widest) + " characters of that script fit)";
  return problem;
}

}  // namespace check
