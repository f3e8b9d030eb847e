// The reader's walk through a whole text, line by line, as the checker's
// scans see it: the same split into headers, keys and values as the lookups,
// with line numbers, whatever the pieces a read hands out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "portable/ini/ini_reader.h"
#include "tests/support/piece_source.h"
#include "tests/support/utf16_file.h"

namespace {

using Lines = std::vector<std::string>;

// Each line as "<number> [name]", "<number> key=value" or "<number> key"
// (no '='), with "+" after a name or value that was cut, and with
// " @<column>,<value column>" when `columns`.
class Recorder final : public ini::LineVisitor {
 public:
  explicit Recorder(bool columns) : columns_(columns) {}
  void Visit(const ini::Line& line) override {
    std::string text = std::to_string(line.number) + " ";
    if (line.kind == ini::Line::kSection) {
      text += std::string("[") + line.name + "]";
    } else {
      text += line.name;
      if (line.hasValue) text += std::string("=") + line.value;
      EXPECT_EQ(std::string(line.value).size(), line.valueLength);
    }
    if (line.nameCut || line.valueCut) text += "+";
    if (columns_)
      text += " @" + std::to_string(line.column) + "," +
              std::to_string(line.valueColumn);
    lines.push_back(text);
  }
  Lines lines;

 private:
  bool columns_;
};

struct ScanCase {
  const char* what;
  std::string text;
  Lines expected;
  ini::Encoding encoding = ini::Encoding::kUtf8;
  bool columns = false;
};

const ScanCase kCases[] = {
    {"headers, keys, blanks and comments",
     "; top\n[Auto]\n\n  AppName = My App \n;x=1\nVerbose\n",
     {"2 [Auto]", "4 AppName=My App", "6 Verbose"}},
    {"CRLF, CR and LF each end one line",
     "[A]\r\nx=1\ry=2\nz=3\r\n\r\nw=4",
     {"1 [A]", "2 x=1", "3 y=2", "4 z=3", "6 w=4"}},
    {"a header needs its ]",
     "[a=b]\n[c=d\n[e] f=g\n",
     {"1 [a=b]", "2 [c=d", "3 [e]"}},
    {"quotes removed as the lookups remove them",
     "k=\"a b\"\nl='x\"\n",
     {"1 k=a b", "2 l='x\""}},
    {"keys before any header, and an empty key",
     "x=1\n=2\n[S]\n",
     {"1 x=1", "2 =2", "3 [S]"}},
    {"a NUL ends the text",
     std::string("[A]\nx=1\0\ny=2\n", 14),
     {"1 [A]", "2 x=1"}},
    {"UTF-8 byte-order mark",
     "\xEF\xBB\xBF[A]\nx=1\n",
     {"1 [A]", "2 x=1"},
     ini::Encoding::kUtf8WithMark},
    {"UTF-16 little-endian",
     Utf16File(u"[A]\r\nx=1\r\n", true),
     {"1 [A]", "2 x=1"},
     ini::Encoding::kUtf16Le},
    {"UTF-16 big-endian",
     Utf16File(u"[A]\nx=1\n", false),
     {"1 [A]", "2 x=1"},
     ini::Encoding::kUtf16Be},
    // The model is the whole file's: one byte that is no UTF-8, even after
    // the line read, makes every name and value 8-bit text (Windows-1252).
    {"UTF-8 without a mark",
     "[\xC3\x84]\nk=\xE6\x97\xA5\n",
     {"1 [\xC3\x84]", "2 k=\xE6\x97\xA5"}},
    {"8-bit text, decided by its last line",
     "[\xC4]\nk=\xC3\xA9\nl=\xE9\n",
     {"1 [\xC3\x84]", "2 k=\xC3\x83\xC2\xA9", "3 l=\xC3\xA9"},
     ini::Encoding::kCodePage},
    {"a UTF-8 mark on 8-bit text",
     "\xEF\xBB\xBF[A]\nk=\xE9\n",
     {"1 [A]", "2 k=\xC3\xA9"},
     ini::Encoding::kCodePage},
    {"8-bit values are cut once converted, between characters",
     "k=" + std::string(6, '\xE9') + "\n",
     {"1 k=\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9+"},
     ini::Encoding::kCodePage},
    {"long names and values are cut",
     "[" + std::string(300, 's') + "]\n" + std::string(300, 'k') + "=" +
         std::string(20, 'v') + "\n",
     {"1 [" + std::string(255, 's') + "]+",
      "2 " + std::string(255, 'k') + "=" + std::string(9, 'v') + "+"}},
    {"columns in characters: blanks count, a UTF-8 sequence is one",
     "  [A]\n\tk = v\n\xC3\x84pfel=\xC3\xB6 x\r\nempty=\nnone\n",
     {"1 [A] @3,0", "2 k=v @2,6", "3 \xC3\x84pfel=\xC3\xB6 x @1,7",
      "4 empty= @1,7", "5 none @1,0"},
     ini::Encoding::kUtf8,
     true},
    {"columns of UTF-16 text",
     Utf16File(u"[A]\r\n  key=value\r\n", true),
     {"1 [A] @1,0", "2 key=value @3,7"},
     ini::Encoding::kUtf16Le,
     true},
};

TEST(IniScan, LinesAsTheLookupsSeeThem) {
  for (const ScanCase& c : kCases) {
    for (std::size_t piece :
         {std::size_t{1} << 20, std::size_t{1}, std::size_t{3}}) {
      PieceSource source(c.text, piece);
      Recorder recorder(c.columns);
      char value[10];
      EXPECT_EQ(ini::Scan(&source, value, sizeof value, &recorder), c.encoding)
          << c.what;
      EXPECT_EQ(recorder.lines, c.expected)
          << c.what << ", pieces of " << piece;
    }
  }
}

}  // namespace
