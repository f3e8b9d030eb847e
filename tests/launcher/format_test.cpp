// Message texts are formatted safely whatever a message file holds: one
// argument at the most, nothing read that was not passed, never more than
// 255 bytes, never half a character.
#include "launcher/format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Case {
  const char* format;
  const char* expected;
};

std::string WithText(const std::string& format, const char* argument) {
  char out[256];
  std::memset(out, 'X', sizeof out);
  FormatWithText(out, format.c_str(), argument);
  return out;
}

TEST(Format, TextArgument) {
  const Case cases[] = {
      {"Install %s now?", "Install App now?"},
      {"no conversion", "no conversion"},
      {"", ""},
      {"%s%s%s", "App%s%s"},
      {"%s%s%s%n", "App%s%s%n"},
      {"%d and %s", "%d and App"},
      {"%99999d%s", "%99999dApp"},
      {"%5s", "%5s"},
      {"100%% sure, %s", "100% sure, App"},
      {"%%s", "%s"},
      {"%%%s", "%App"},
      {"trailing %", "trailing %"},
      {"%", "%"},
      {"%S %x %p", "%S %x %p"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WithText(c.format, "App"), c.expected) << c.format;
  }
}

TEST(Format, NumberArgument) {
  const struct {
    int number;
    const char* expected;
  } cases[] = {{0, "v 0"},
               {-1, "v -1"},
               {42, "v 42"},
               {2147483647, "v 2147483647"},
               {-2147483647 - 1, "v -2147483648"}};
  for (const auto& c : cases) {
    char out[256];
    FormatWithNumber(out, "v %d", c.number);
    EXPECT_STREQ(out, c.expected);
  }
  char out[256];
  FormatWithNumber(out, "%s %d %d", 7);
  EXPECT_STREQ(out, "%s 7 %d");
}

std::string Repeat(const std::string& text, int times) {
  std::string out;
  while (times-- > 0) out += text;
  return out;
}

TEST(Format, ResultIsCutTo255BytesBetweenCharacters) {
  const std::string longText(254, 'a');
  const std::string ja = "\xE3\x82\x92";  // を, three bytes
  const struct {
    std::string format;
    std::string argument;
    std::string expected;
  } cases[] = {
      {longText + "%s", "0123456789", longText + "0"},
      {std::string(1000, 'b'), "x", std::string(255, 'b')},
      {"%s", std::string(300, 'c'), std::string(255, 'c')},
      // "MyApp" and 84 Japanese characters: 257 bytes; the last character
      // would end past the 255th and goes whole.
      {"%s" + Repeat(ja, 84), "MyApp", "MyApp" + Repeat(ja, 83)},
      {"%s" + Repeat(ja, 84), "MyAppX", "MyAppX" + Repeat(ja, 83)},
      {"%s" + Repeat(ja, 84), "", Repeat(ja, 84)},
      {Repeat("\xC3\xA9", 200), "", Repeat("\xC3\xA9", 127)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WithText(c.format, c.argument.c_str()), c.expected)
        << c.format.size() << " bytes of format";
}

}  // namespace
