// The portable INI reader against the results of the Windows profile
// functions. Every case runs three times: on the whole text at once, and
// streamed in pieces of one and of three bytes, so that no rule depends on
// where a read happens to end.
#include "portable/ini/ini_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tests/support/piece_source.h"
#include "tests/support/utf16_file.h"

namespace {

const std::size_t kPieces[] = {1 << 20, 1, 3};

std::string Lookup(const std::string& text, const char* section,
                   const char* key, std::size_t piece, unsigned size = 255) {
  PieceSource source(text, piece);
  char buffer[512];
  std::memset(buffer, 'X', sizeof buffer);
  const unsigned n =
      ini::GetString(&source, section, key, "<none>", buffer, size);
  EXPECT_EQ(n, std::strlen(buffer)) << "count differs from the text stored";
  return buffer;
}

struct StringCase {
  const char* what;
  std::string text;
  const char* section;
  const char* key;
  const char* expected;  // "<none>" is the fallback
};

const StringCase kStringCases[] = {
    {"plain", "[Auto]\nVersion=3\n", "Auto", "Version", "3"},
    {"case of names", "[aUTO]\nvERSION=3\n", "AUTO", "version", "3"},
    {"blanks around everything", " \t[ Auto ] \n \tAppName \t= My App \t\n",
     "Auto", "AppName", "My App"},
    {"requested names trimmed", "[Auto]\nA=1\n", " Auto ", "\tA ", "1"},
    {"blank inside a name must match", "[Auto]\nApp Name=1\n", "Auto",
     "App Name", "1"},
    {"different blank inside a name", "[Auto]\nApp\tName=1\n", "Auto",
     "App Name", "<none>"},
    {"name stops at the first ]", "[Auto]junk\nA=1\n", "Auto", "A", "1"},
    {"text after ] ignored", "[Auto] B=2\nA=1\n", "Auto", "B", "<none>"},
    {"second ] is part of the rest", "[Au]to]\nA=1\n", "Au", "A", "1"},
    {"[ without ] is a key line", "[Auto]\n[x=1\n", "Auto", "[x", "1"},
    {"= inside a header", "[a=b]\nA=1\n", "a=b", "A", "1"},
    {"double quotes removed", "[S]\nK=\"a b\"\n", "S", "K", "a b"},
    {"single quotes removed", "[S]\nK='a b'\n", "S", "K", "a b"},
    {"only the outer pair", "[S]\nK=\"a\"b\"\n", "S", "K", "a\"b"},
    {"unmatched quote kept", "[S]\nK=\"ab\n", "S", "K", "\"ab"},
    {"mixed quotes kept", "[S]\nK='ab\"\n", "S", "K", "'ab\""},
    {"lone quote kept", "[S]\nK=\"\n", "S", "K", "\""},
    {"empty quotes", "[S]\nK=\"\"\n", "S", "K", ""},
    {"quotes after trimming", "[S]\nK=  \"x\"  \n", "S", "K", "x"},
    {"blanks inside quotes kept", "[S]\nK=\" x \"\n", "S", "K", " x "},
    {"semicolon in a value", "[S]\nK=a ; b\n", "S", "K", "a ; b"},
    {"comment line", "[S]\n;K=1\nK=2\n", "S", "K", "2"},
    {"comment never found", "[S]\n;K=1\n", "S", ";K", "<none>"},
    {"indented comment", "[S]\n  ; K=1\n", "S", "; K", "<none>"},
    {"line without =", "[S]\nK\nK=2\n", "S", "K", "<none>"},
    {"empty value", "[S]\nK=\nK=2\n", "S", "K", ""},
    {"first key wins", "[S]\nK=1\nK=2\n", "S", "K", "1"},
    {"first section wins", "[S]\nA=1\n[S]\nK=2\n", "S", "K", "<none>"},
    {"other section between", "[S]\nA=1\n[T]\nK=0\n[S]\nK=2\n", "S", "K",
     "<none>"},
    {"key of another section", "[T]\nK=1\n[S]\nA=2\n", "S", "K", "<none>"},
    {"keys before any section", "K=1\n[S]\nK=2\n", "S", "K", "2"},
    {"missing section", "[T]\nK=1\n", "S", "K", "<none>"},
    {"empty file", "", "S", "K", "<none>"},
    {"CRLF", "[S]\r\nA=1\r\nK=2\r\n", "S", "K", "2"},
    {"lone CR", "[S]\rA=1\rK=2\r", "S", "K", "2"},
    {"no line end at the end", "[S]\nK=2", "S", "K", "2"},
    {"NUL inside a value", std::string("[S]\nK=ab\0cd\n", 12), "S", "K", "ab"},
    {"8-bit text read as Windows-1252", "[S]\nK=\xE9t\xE9\n", "S", "K",
     "\xC3\xA9t\xC3\xA9"},
    {"one 8-bit byte after the value makes the whole file 8-bit",
     "[S]\nK=\xC3\xA9\n[T]\nX=\xE9\n", "S", "K", "\xC3\x83\xC2\xA9"},
    {"DOS end-of-file mark is a blank", "[S]\nK=2\x1A\n", "S", "K", "2"},
    {"= with empty name", "[S]\n=1\nK=2\n", "S", "K", "2"},
    {"value with =", "[S]\nK=a=b\n", "S", "K", "a=b"},
    {"key names trimmed before =", "[S]\nK  =  v\n", "S", "K", "v"},
    {"longer name is no match", "[S]\nKey=1\n", "S", "K", "<none>"},
    {"shorter name is no match", "[S]\nK=1\n", "S", "Key", "<none>"},
};

TEST(IniReader, StringLookups) {
  for (const StringCase& c : kStringCases) {
    for (std::size_t piece : kPieces) {
      EXPECT_EQ(Lookup(c.text, c.section, c.key, piece), c.expected)
          << c.what << " (pieces of " << piece << ")";
    }
  }
}

TEST(IniReader, ValuesAreCutAndAlwaysTerminated) {
  const std::string longValue(10000, 'v');
  const std::string text =
      "[S]\nK=" + longValue + "\nQ=\"" + longValue + "\"\n";
  for (std::size_t piece : kPieces) {
    EXPECT_EQ(Lookup(text, "S", "K", piece), std::string(254, 'v'));
    EXPECT_EQ(Lookup(text, "S", "Q", piece), std::string(254, 'v'));
    EXPECT_EQ(Lookup(text, "S", "K", piece, 1), "");
    EXPECT_EQ(Lookup(text, "S", "K", piece, 2), "v");
  }
  // A quoted value of exactly size - 1 characters keeps all of them.
  EXPECT_EQ(Lookup("[S]\nK=\"abcd\"\n", "S", "K", 1, 5), "abcd");
  EXPECT_EQ(Lookup("[S]\nK=\"abcd\"\n", "S", "K", 1, 4), "abc");
  // The fallback is cut the same way; nothing is written with size 0.
  char buffer[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(ini::GetString(nullptr, "S", "K", "fallback", buffer, 4), 3u);
  EXPECT_STREQ(buffer, "fal");
  buffer[0] = 'x';
  EXPECT_EQ(ini::GetString(nullptr, "S", "K", "fallback", buffer, 0), 0u);
  EXPECT_EQ(buffer[0], 'x');
}

struct CutCase {
  const char* what;
  std::string value;  // as written in the file, after "K="
  unsigned size;
  std::string expected;
};

TEST(IniReader, ValuesAreCutAtCharacterBoundaries) {
  const std::string sun = "\xE6\x97\xA5";  // U+65E5, three bytes
  const CutCase cases[] = {
      {"three-byte character, two bytes kept", "a" + sun + "b", 4, "a"},
      {"three-byte character whole", "a" + sun + "b", 5, "a" + sun},
      {"quoted value", "\"a" + sun + "b\"", 3, "a"},
      {"8-bit text is cut once converted", "aaa\xE9xyz", 5, "aaa"},
      {"broken sequence is 8-bit text", "aa\xE9\xA9x", 5, "aa\xC3\xA9"},
  };
  for (const CutCase& c : cases) {
    const std::string text = "[S]\nK=" + c.value + "\n";
    for (std::size_t piece : kPieces) {
      PieceSource source(text, piece);
      char buffer[512];
      bool cut = false;
      ini::GetString(&source, "S", "K", "", buffer, c.size, &cut);
      EXPECT_EQ(buffer, c.expected) << c.what << ", pieces of " << piece;
      EXPECT_TRUE(cut) << c.what;
    }
  }
  // UTF-16 is decoded to UTF-8 before the cut: the same boundary.
  std::string utf16 = Utf16File(u"[S]\nK=", true);
  for (int i = 0; i < 200; ++i) utf16 += "\xE5\x65";
  char buffer[256];
  bool cut = false;
  PieceSource source(utf16, 7);
  EXPECT_EQ(ini::GetString(&source, "S", "K", "", buffer, 255, &cut), 252u);
  EXPECT_TRUE(cut);
  // A fallback is cut at a boundary too, and a value that fits is no cut.
  EXPECT_EQ(
      ini::GetString(nullptr, "S", "K", ("a" + sun).c_str(), buffer, 3, &cut),
      1u);
  EXPECT_TRUE(cut);
  const std::string fits = "[S]\nK=a" + sun + "\n";
  PieceSource whole(fits, 1);
  EXPECT_EQ(ini::GetString(&whole, "S", "K", "", buffer, 5, &cut), 4u);
  EXPECT_FALSE(cut);
}

struct IntCase {
  const char* value;
  int expected;
};

TEST(IniReader, Integers) {
  const IntCase cases[] = {
      {"12", 12},
      {"  12", 12},
      {"+12", 12},
      {"-12", -12},
      {"12abc", 12},
      {"abc", 0},
      {"- 7", 0},
      {"+-7", 0},
      {"\"12\"", 12},
      {"' -3'", -3},
      {"0x1F", 31},
      {"0X1F", 0},
      {"0o17", 15},
      {"0b101", 5},
      {"0b102", 2},
      {"010", 10},
      {"-0x10", -16},
      {"0x", 0},
      {"4294967297", 1},
      {"2147483648", -2147483647 - 1},
      {"-2147483648", -2147483647 - 1},
      {"4294967295", -1},
      // Only the first 29 characters count.
      {"00000000000000000000000000000012", 0},
  };
  for (const IntCase& c : cases) {
    const std::string text = std::string("[S]\nK=") + c.value + "\n";
    ini::MemorySource source(text.data(), text.size());
    EXPECT_EQ(ini::GetInt(&source, "S", "K", 99), c.expected) << c.value;
  }
}

TEST(IniReader, IntegerFallbacks) {
  // An empty value counts as missing, exactly as an absent key or file.
  const char* const texts[] = {"[S]\nK=\n", "[S]\nK\n", "[S]\nX=1\n",
                               "[S]\nK=\"\"\n", "[T]\nK=1\n"};
  for (const char* t : texts) {
    ini::MemorySource source(t, std::strlen(t));
    EXPECT_EQ(ini::GetInt(&source, "S", "K", -1), -1) << t;
  }
  EXPECT_EQ(ini::GetInt(nullptr, "S", "K", -1), -1);
}

TEST(IniReader, StopsReadingOnceAnswered) {
  // A source that counts what it handed out: a key near the start of a large
  // file costs one piece, not the whole file.
  const std::string text = "[S]\nK=1\n" + std::string(1 << 20, '#');
  PieceSource source(text, 1 << 20);
  char buffer[8];
  ASSERT_EQ(ini::GetString(&source, "S", "K", "", buffer, sizeof buffer), 1u);
  PieceSource counting(text, 4096);
  struct Counter final : ini::Source {
    explicit Counter(ini::Source& s) : inner(s) {}
    std::size_t Read(char* b, std::size_t c) override {
      const std::size_t n = inner.Read(b, c);
      total += n;
      return n;
    }
    bool Rewind() override { return rewinds && inner.Rewind(); }
    ini::Source& inner;
    bool rewinds = true;
    std::size_t total = 0;
  } counter(counting);
  ini::GetString(&counter, "S", "K", "", buffer, sizeof buffer);
  EXPECT_LE(counter.total, 4096u);

  // A value beyond ASCII asks whether the whole file is UTF-8: one more
  // pass, from the start. A source that cannot start again is 8-bit text.
  const std::string accented = "[S]\nK=\xC3\xA9\n" + std::string(1 << 20, '#');
  for (const bool rewinds : {true, false}) {
    PieceSource pieces(accented, 4096);
    Counter again(pieces);
    again.rewinds = rewinds;
    ini::GetString(&again, "S", "K", "", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, rewinds ? "\xC3\xA9" : "\xC3\x83\xC2\xA9");
    EXPECT_LE(again.total, rewinds ? accented.size() + 4096 : 4096u);
  }
}

}  // namespace
