// The codec: strict UTF-8, UTF-16 both ways, Windows-1252, and cuts at
// character boundaries; characters of every length and what a damaged file
// holds.
#include "portable/utf.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Utf8Result {
  std::string text;
  bool cut;
  bool operator==(const Utf8Result& o) const {
    return text == o.text && cut == o.cut;
  }
};

std::ostream& operator<<(std::ostream& out, const Utf8Result& r) {
  return out << '"' << r.text << '"' << (r.cut ? " cut" : "");
}

Utf8Result ToUtf8(const std::u16string& units, unsigned size) {
  std::string buffer(size + 8, 'X');
  bool cut = false;
  const unsigned n =
      utf::ToUtf8(units.data(), static_cast<unsigned>(units.size()), &buffer[0],
                  size, &cut);
  if (size == 0) return {buffer.substr(0, 1) == "X" ? "" : "written!", cut};
  EXPECT_EQ(buffer[n], '\0');
  EXPECT_LE(n, size - 1);
  return {buffer.substr(0, n), cut};
}

TEST(ToUtf8, CharactersDamageAndCuts) {
  const std::u16string kanji200(200, u'\u65E5');
  const struct {
    std::u16string units;
    unsigned size;
    Utf8Result expected;
  } cases[] = {
      {u"", 255, {"", false}},
      {u"abc", 255, {"abc", false}},
      {u"M\u00f6chten",
       255,
       {"M\xC3\xB6"
        "chten",
        false}},
      {u"\u65E5\u672C", 255, {"\xE6\x97\xA5\xE6\x9C\xAC", false}},
      {u"\U0001F600", 255, {"\xF0\x9F\x98\x80", false}},
      // Lone and reversed surrogates from a damaged file.
      {u"a\xD800", 255, {"a\xEF\xBF\xBD", false}},
      {u"\xDC00"
       "b",
       255,
       {"\xEF\xBF\xBD"
        "b",
        false}},
      {u"\xD800"
       "b",
       255,
       {"\xEF\xBF\xBD"
        "b",
        false}},
      {u"\xDC00\xD800", 255, {"\xEF\xBF\xBD\xEF\xBF\xBD", false}},
      // Cuts fall between characters, never inside one.
      {u"\u65E5\u672C", 5, {"\xE6\x97\xA5", true}},
      {u"\u65E5\u672C", 7, {"\xE6\x97\xA5\xE6\x9C\xAC", false}},
      {u"a\U0001F600", 5, {"a", true}},
      {u"a\U0001F600", 6, {"a\xF0\x9F\x98\x80", false}},
      {u"ab", 1, {"", true}},
      {u"ab", 0, {"", true}},
      {u"", 0, {"", false}},
      // A unit 0 ends the text.
      {std::u16string(u"ab\0cd", 5), 255, {"ab", false}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ToUtf8(c.units, c.size), c.expected)
        << "size " << c.size << ", " << c.units.size() << " units";

  // 200 Japanese characters in a value buffer of the launcher: 84 of them
  // (252 bytes) fit in 254, the 85th would not.
  const Utf8Result value = ToUtf8(kanji200, 255);
  EXPECT_TRUE(value.cut);
  EXPECT_EQ(value.text.size(), 252u);
  EXPECT_EQ(value.text, ToUtf8(kanji200.substr(0, 84), 255).text);
}

struct Utf16Result {
  std::u16string units;
  bool complete;
  bool operator==(const Utf16Result& o) const {
    return units == o.units && complete == o.complete;
  }
};

std::ostream& operator<<(std::ostream& out, const Utf16Result& r) {
  for (char16_t u : r.units) out << std::hex << unsigned(u) << ' ';
  return out << (r.complete ? "complete" : "incomplete");
}

Utf16Result ToUtf16(const std::string& text, unsigned size) {
  std::u16string buffer(size + 8, u'X');
  const bool complete = utf::ToUtf16(text.c_str(), &buffer[0], size);
  if (size == 0) return {buffer[0] == u'X' ? u"" : u"written!", complete};
  return {buffer.substr(0, buffer.find(u'\0')), complete};
}

TEST(ToUtf16, CharactersAndIllFormedBytes) {
  const std::u16string R(1, u'\uFFFD');
  const struct {
    std::string text;
    unsigned size;
    Utf16Result expected;
  } cases[] = {
      {"", 256, {u"", true}},
      {"abc", 256, {u"abc", true}},
      {"\xC3\xA9", 256, {u"\u00E9", true}},
      {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
       256,
       {u"\u65E5\u672C\u8A9E", true}},
      {"\xD0\x94\xD0\xBC", 256, {u"\u0414\u043C", true}},
      {"\xF0\x9F\x98\x80", 256, {u"\U0001F600", true}},
      {"\xF4\x8F\xBF\xBF", 256, {u"\U0010FFFF", true}},
      // Each ill-formed piece gives one replacement character.
      {"\x80", 256, {R, true}},
      {"a\xFF"
       "b",
       256,
       {u"a" + R + u"b", true}},
      {"\xC0\xAF", 256, {R + R, true}},                  // overlong '/'
      {"\xE0\x80\x80", 256, {R + R + R, true}},          // overlong
      {"\xED\xA0\x80", 256, {R + R + R, true}},          // a surrogate
      {"\xF4\x90\x80\x80", 256, {R + R + R + R, true}},  // above U+10FFFF
      {"\xE6\x97", 256, {R, true}},  // cut inside a character
      {"\xE6\x97"
       "a",
       256,
       {R + u"a", true}},
      {"\xF0\x9F\x98"
       "a",
       256,
       {R + u"a", true}},
      // What does not fit is left out whole.
      {"abc", 3, {u"ab", false}},
      {"a\xF0\x9F\x98\x80", 3, {u"a", false}},
      {"a\xF0\x9F\x98\x80", 4, {u"a\U0001F600", true}},
      {"a", 1, {u"", false}},
      {"", 1, {u"", true}},
      {"a", 0, {u"", false}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ToUtf16(c.text, c.size), c.expected)
        << "size " << c.size << ", " << c.text.size() << " bytes";
}

// Every character survives the way there and back.
TEST(Utf, EveryCharacterRoundTrips) {
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::u16string units;
    if (c < 0x10000) {
      units = std::u16string(1, static_cast<char16_t>(c));
    } else {
      units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    char bytes[8];
    bool cut = true;
    const unsigned n =
        utf::ToUtf8(units.data(), static_cast<unsigned>(units.size()), bytes,
                    sizeof bytes, &cut);
    ASSERT_FALSE(cut);
    ASSERT_EQ(n, c < 0x80 ? 1u : c < 0x800 ? 2u : c < 0x10000 ? 3u : 4u);
    char16_t back[4] = {};
    ASSERT_TRUE(utf::ToUtf16(bytes, back, 4));
    ASSERT_EQ(std::u16string(back), units) << std::hex << unsigned(c);
  }
}

TEST(Utf8, StrictCheck) {
  const struct {
    std::string text;
    bool valid;
  } cases[] = {
      {"", true},
      {"plain ASCII", true},
      {"Gr\xC3\xB6\xC3\x9F"
       "e",
       true},                              // Größe
      {"\xE6\x97\xA5\xE6\x9C\xAC", true},  // 日本
      {"\xF4\x8F\xBF\xBF", true},          // U+10FFFF
      {"\xED\x9F\xBF", true},              // U+D7FF
      {"\xEE\x80\x80", true},              // U+E000
      {"\xC0\xAF", false},                 // overlong '/'
      {"\xC1\xBF", false},                 // overlong
      {"\xE0\x80\xAF", false},             // overlong
      {"\xF0\x80\x80\xAF", false},         // overlong
      {"\xED\xA0\x80", false},             // surrogate D800
      {"\xED\xBF\xBF", false},             // surrogate DFFF
      {"\xF4\x90\x80\x80", false},         // above U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\xFF", false},
      {"\x80", false},  // stray continuation
      {"\xC3", false},  // cut at the end
      {"\xE6\x97x", false},
      {"Gr\xF6\xDF"
       "e",
       false},  // Latin-1 Größe
  };
  for (const auto& c : cases)
    EXPECT_EQ(utf::IsValid(c.text.data(), c.text.size()), c.valid)
        << testing::PrintToString(c.text);
}

// Where a text of `length` bytes is cut to `keep`: never inside a character
// that is well-formed as far as it is known, wherever 8-bit bytes are.
TEST(Utf8, BoundaryOfACut) {
  const std::string kanji = "\xE6\x97\xA5";  // 日
  const struct {
    std::string text;
    std::size_t keep;
    std::size_t kept;
  } cases[] = {
      {"abc", 2, 2},
      {"a" + kanji, 3, 1},
      {"a" + kanji, 4, 4},
      {"a" + kanji, 2, 1},
      {"a\xE6\x97", 3, 1},  // nothing known past the cut: still left out
      {"a\xE6\x97", 2, 1},
      {"a\xF0\x9F\x98\x80", 4, 1},
      {"a\xC3\xA9", 2, 1},
      {"\xE9\xE9\xE9", 2, 2},  // 8-bit text: cut where the count says
      {"a\xE6"
       "bc",
       2, 2},  // no continuation follows: not a character
      {"ab", 0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(utf::Boundary(c.text.data(), c.text.size(), c.keep), c.kept)
        << testing::PrintToString(c.text) << " keep " << c.keep;
}

// 8-bit Western text in place: the euro sign and quotes that Latin-1 would
// make controls, the five undefined bytes, and a cut between characters.
TEST(Windows1252, ToUtf8InPlace) {
  const struct {
    std::string text;
    unsigned size;
    std::string utf8;
    bool cut;
  } cases[] = {
      {"Gr\xF6\xDF"
       "e",
       16,
       "Gr\xC3\xB6\xC3\x9F"
       "e",
       false},
      {"\x84"
       "x\x93 \x80",
       16,
       "\xE2\x80\x9E"
       "x\xE2\x80\x9C \xE2\x82\xAC",
       false},
      {"\x81\x8D\x8F\x90\x9D", 16,
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
       "\xEF\xBF\xBD\xEF\xBF\xBD",
       false},
      {"a\xE9\xE9", 5, "a\xC3\xA9", true},
      {"a\xE9\xE9", 6, "a\xC3\xA9\xC3\xA9", false},
      {"plain", 6, "plain", false},
      {"", 1, "", false},
  };
  for (const auto& c : cases) {
    std::string buffer = c.text;
    buffer.resize(c.size + 4, 'X');
    bool cut = false;
    const unsigned n = utf::Windows1252ToUtf8(
        &buffer[0], static_cast<unsigned>(c.text.size()), c.size, &cut);
    EXPECT_EQ(buffer.substr(0, n), c.utf8) << testing::PrintToString(c.text);
    EXPECT_EQ(buffer[n], '\0');
    EXPECT_EQ(cut, c.cut) << testing::PrintToString(c.text);
  }
  // 200 é as a launcher's value: 127 whole ones fit in 254 bytes.
  std::string e200(200, '\xE9');
  e200.resize(256);
  bool cut = false;
  EXPECT_EQ(utf::Windows1252ToUtf8(&e200[0], 200, 255, &cut), 254u);
  EXPECT_TRUE(cut);
}

}  // namespace
