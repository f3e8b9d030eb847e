// Where everything in the built-in message box goes: the text broken into
// lines, the icon, the buttons and the window itself. Pure arithmetic on
// widths that the caller measures, so that it is tested without a display.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace posix {

struct TextLine {
  std::size_t begin;  // index of the first code point shown
  std::size_t end;    // one past the last
};

// Width in pixels of code points [begin, end) of the text.
using MeasureText = std::function<int(std::size_t begin, std::size_t end)>;

// Breaks `text` into lines no wider than `maxWidth`: after blanks, and
// between two characters where either is a CJK one (never before closing or
// after opening punctuation). A word wider than a line is cut where it stops
// fitting, one character a line at the least. Blanks at a break are dropped.
std::vector<TextLine> WrapText(const std::vector<char32_t>& text, int maxWidth,
                               const MeasureText& measure);

struct Rect {
  int x, y, width, height;
};

struct BoxMetrics {
  int lineHeight;  // of the text font
  int screenWidth, screenHeight;
  std::vector<int> labelWidths;  // of each button's label, left to right
};

struct BoxGeometry {
  int maxTextWidth;  // to wrap the text at
  Rect window;       // on the screen, centred
  Rect icon;
  Rect text;     // the wrapped text; its lines are lineHeight apart
  int stripTop;  // the button strip, from here to the bottom
  std::vector<Rect> buttons;
};

// First call with the text unknown (textWidth and lineCount 0) to learn the
// width to wrap at, then with the wrapped text's size.
BoxGeometry LayOutBox(const BoxMetrics& metrics, int textWidth, int lineCount);

}  // namespace posix
