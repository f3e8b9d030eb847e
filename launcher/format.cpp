#include "launcher/format.h"

#include "config/text.h"
#include "portable/utf.h"

namespace {

// Writes into a fixed buffer, dropping whatever does not fit; a character
// that would not fit whole is dropped whole.
class Output {
 public:
  explicit Output(char* out) : out_(out), used_(0), full_(false) {}
  void Put(char c) {
    if (used_ < text::kReadSize)
      out_[used_++] = c;
    else
      full_ = true;
  }
  void Put(const char* s) {
    while (*s != '\0') Put(*s++);
  }
  void Finish() {
    if (full_) used_ = static_cast<unsigned>(utf::Boundary(out_, used_, used_));
    out_[used_] = '\0';
  }

 private:
  char* out_;
  unsigned used_;
  bool full_;
};

// Decimal text of a signed 32-bit value, including the most negative one.
void NumberText(char* out, int value) {
  char digits[12];
  unsigned n = 0;
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value)
                                 : static_cast<unsigned>(value);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  unsigned at = 0;
  if (value < 0) out[at++] = '-';
  while (n > 0) out[at++] = digits[--n];
  out[at] = '\0';
}

void Format(char* out, const char* format, char conversion,
            const char* argument) {
  Output result(out);
  bool substituted = false;
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == '%') {
      result.Put('%');
      ++p;
    } else if (p[0] == '%' && p[1] == conversion && !substituted) {
      result.Put(argument);
      substituted = true;
      ++p;
    } else {
      result.Put(*p);
    }
  }
  result.Finish();
}

}  // namespace

void FormatWithText(char* out, const char* format, const char* argument) {
  Format(out, format, 's', argument);
}

void FormatWithNumber(char* out, const char* format, int argument) {
  char number[12];
  NumberText(number, argument);
  Format(out, format, 'd', number);
}
