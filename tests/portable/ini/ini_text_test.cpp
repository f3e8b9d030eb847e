// The text of a file as the lookups get it: which encoding each file is
// decided to have, and the text handed on, whatever the pieces a read hands
// out (whole, and one and three bytes at a time).
#include "portable/ini/ini_text.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/piece_source.h"
#include "tests/support/utf16_file.h"

namespace {

struct TextCase {
  const char* what;
  std::string bytes;
  ini::Encoding encoding;
  std::string text;  // 8-bit text stays as it is: the lookups convert values
};

TEST(IniText, EncodingAndTextOfEachFile) {
  const std::u16string wide = u"K=Gr\u00FC\u00DFe \u65E5 \U0001F600\r\n";
  const std::string wideUtf8 =
      "K=Gr\xC3\xBC\xC3\x9F"
      "e \xE6\x97\xA5 \xF0\x9F\x98\x80\r\n";
  const TextCase cases[] = {
      {"empty", "", ini::Encoding::kUtf8, ""},
      {"UTF-8 without a mark", "k=\xC3\xA9\n", ini::Encoding::kUtf8,
       "k=\xC3\xA9\n"},
      {"UTF-8 mark passed over", "\xEF\xBB\xBFk=\xC3\xA9",
       ini::Encoding::kUtf8WithMark, "k=\xC3\xA9"},
      {"one byte that is no UTF-8, late in the file, makes it 8-bit",
       "a=\xC3\xA9\nb=\xE9\n", ini::Encoding::kCodePage,
       "a=\xC3\xA9\nb=\xE9\n"},
      {"a UTF-8 mark on 8-bit text is passed over too", "\xEF\xBB\xBFk=\xE9",
       ini::Encoding::kCodePage, "k=\xE9"},
      {"a NUL ends the text, and what follows it does not count",
       std::string("k=\xC3\xA9\0\xE9x", 7), ini::Encoding::kUtf8, "k=\xC3\xA9"},
      {"UTF-16 LE decoded", Utf16File(wide, true), ini::Encoding::kUtf16Le,
       wideUtf8},
      {"UTF-16 BE decoded", Utf16File(wide, false), ini::Encoding::kUtf16Be,
       wideUtf8},
      {"a NUL unit ends UTF-16", Utf16File(std::u16string(u"a\0b", 3), true),
       ini::Encoding::kUtf16Le, "a"},
      {"unpaired surrogates are U+FFFD",
       Utf16File(u"\xD800x\xDC00y\xD800", true), ini::Encoding::kUtf16Le,
       "\xEF\xBF\xBDx\xEF\xBF\xBDy\xEF\xBF\xBD"},
      {"an odd last byte is dropped", Utf16File(u"ab", true) + "c",
       ini::Encoding::kUtf16Le, "ab"},
  };
  for (const TextCase& c : cases) {
    for (const std::size_t piece :
         {std::size_t{1} << 20, std::size_t{1}, std::size_t{3}}) {
      PieceSource source(c.bytes, piece);
      ini::TextStream in(source);
      ASSERT_TRUE(in.DecideAndRestart());
      std::string text;
      for (int ch; (ch = in.Next()) != ini::TextStream::kEnd;)
        text += static_cast<char>(ch);
      EXPECT_EQ(in.Kind(), c.encoding) << c.what << ", pieces of " << piece;
      EXPECT_EQ(text, c.text) << c.what << ", pieces of " << piece;
    }
  }
}

}  // namespace
