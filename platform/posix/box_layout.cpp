// Layout of the built-in message box, in proportion to the text's line
// height, after the proportions of a Windows message box at 96 dpi (a line
// of 16 pixels: 12-pixel margins, a 32-pixel icon, 75 by 23 buttons).
#include "platform/posix/box_layout.h"

#include <algorithm>

namespace posix {

namespace {

constexpr double kMargin = 0.75;        // around the icon and the text
constexpr double kIcon = 2.0;           // icon side
constexpr double kMaxTextWidth = 28.0;  // where text wraps, on a large screen
constexpr double kMinTextWidth = 8.0;
constexpr double kButtonWidth = 4.7;  // at the least
constexpr double kButtonHeight = 1.45;
constexpr double kButtonPadding = 1.0;  // either side of a label
constexpr double kButtonGap = 0.4;
constexpr double kStripPadding = 0.7;  // above and below the buttons
constexpr int kScreenShare = 3;        // text takes at most 3/4 of a screen
constexpr int kScreenParts = 4;

int Scaled(double factor, int lineHeight) {
  return static_cast<int>(factor * lineHeight + 0.5);
}

bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

bool IsBlank(char32_t c) { return c == ' ' || c == 0x3000; }

// Punctuation that must not start a line (closing marks, small kana marks)
// or end one (opening marks).
bool NoBreakBefore(char32_t c) {
  static const char32_t kClosing[] = {
      0x3001, 0x3002, 0xFF0C, 0xFF0E, 0xFF1A, 0xFF1B, 0xFF01, 0xFF1F,
      0x300D, 0x300F, 0x3009, 0x300B, 0x3011, 0xFF09, 0x30FC, 0x309D,
      0x309E, 0x30FD, 0x30FE, 0x3005, ')',    ']',    '}',    ',',
      '.',    '!',    '?',    ':',    ';'};
  return std::find(std::begin(kClosing), std::end(kClosing), c) !=
         std::end(kClosing);
}

bool NoBreakAfter(char32_t c) {
  static const char32_t kOpening[] = {0x300C, 0x300E, 0x3008, 0x300A, 0x3010,
                                      0xFF08, '(',    '[',    '{'};
  return std::find(std::begin(kOpening), std::end(kOpening), c) !=
         std::end(kOpening);
}

bool CanBreakBetween(char32_t before, char32_t after) {
  if (IsBlank(after)) return false;  // breaks come after a run of blanks
  if (IsBlank(before)) return true;
  return (IsWide(before) || IsWide(after)) && !NoBreakBefore(after) &&
         !NoBreakAfter(before);
}

std::size_t WithoutTrailingBlanks(const std::vector<char32_t>& text,
                                  std::size_t begin, std::size_t end) {
  while (end > begin && IsBlank(text[end - 1])) --end;
  return end;
}

}  // namespace

std::vector<TextLine> WrapText(const std::vector<char32_t>& text, int maxWidth,
                               const MeasureText& measure) {
  std::vector<TextLine> lines;
  std::size_t begin = 0;
  const std::size_t size = text.size();
  while (begin < size) {
    std::size_t lastBreak = 0;  // where the line may end; 0: nowhere yet
    std::size_t end = begin + 1;
    while (end < size) {
      if (CanBreakBetween(text[end - 1], text[end])) lastBreak = end;
      const std::size_t shown = WithoutTrailingBlanks(text, begin, end + 1);
      if (measure(begin, shown) > maxWidth) break;
      ++end;
    }
    if (end < size && lastBreak > begin) end = lastBreak;
    lines.push_back({begin, WithoutTrailingBlanks(text, begin, end)});
    begin = end;
    while (begin < size && IsBlank(text[begin])) ++begin;
  }
  return lines;
}

BoxGeometry LayOutBox(const BoxMetrics& metrics, int textWidth, int lineCount) {
  const int h = metrics.lineHeight;
  const int margin = Scaled(kMargin, h);
  const int icon = Scaled(kIcon, h);
  BoxGeometry g;
  // The text may fill most of a small screen, but no more.
  const int chrome = 3 * margin + icon;
  g.maxTextWidth = std::max(
      Scaled(kMinTextWidth, h),
      std::min(Scaled(kMaxTextWidth, h),
               metrics.screenWidth * kScreenShare / kScreenParts - chrome));

  int buttonsWidth = 0;
  const int buttonHeight = Scaled(kButtonHeight, h);
  std::vector<int> widths;
  for (const int label : metrics.labelWidths) {
    widths.push_back(std::max(Scaled(kButtonWidth, h),
                              label + 2 * Scaled(kButtonPadding, h)));
    buttonsWidth += widths.back();
  }
  const int gap = Scaled(kButtonGap, h);
  if (!widths.empty())
    buttonsWidth += gap * static_cast<int>(widths.size() - 1);

  const int textHeight = std::max(1, lineCount) * h;
  const int contentHeight = std::max(icon, textHeight);
  const int width = std::max(chrome + textWidth, buttonsWidth + 2 * margin);
  const int stripPadding = Scaled(kStripPadding, h);
  g.stripTop = 2 * margin + contentHeight;
  const int height = g.stripTop + buttonHeight + 2 * stripPadding;

  g.window = {(metrics.screenWidth - width) / 2,
              (metrics.screenHeight - height) / 2, width, height};
  g.window.x = std::max(0, g.window.x);
  g.window.y = std::max(0, g.window.y);
  g.icon = {margin, margin + (contentHeight - icon) / 2, icon, icon};
  g.text = {2 * margin + icon, margin + (contentHeight - textHeight) / 2,
            textWidth, textHeight};
  int x = width - margin - buttonsWidth;
  for (const int w : widths) {
    g.buttons.push_back({x, g.stripTop + stripPadding, w, buttonHeight});
    x += w + gap;
  }
  return g;
}

}  // namespace posix
