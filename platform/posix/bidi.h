// Right-to-left text for the built-in box: Arabic letters in their joined
// forms and each line's runs in the order they are drawn, through fribidi
// loaded at run time (the launcher links it not; without it, text is drawn
// as stored, left to right). One paragraph: the box's text has no breaks.
#pragma once

#include <cstddef>
#include <vector>

namespace posix {

class BidiText {
 public:
  // `logical` in stored order. Shaped with fribidi when `useLibrary` and the
  // library loads.
  explicit BidiText(std::vector<char32_t> logical, bool useLibrary = true);

  // The text in stored order with Arabic letters in the forms they take
  // (lam and alef joined into one): what lines are measured and broken on.
  const std::vector<char32_t>& Shaped() const { return shaped_; }

  // Whether the paragraph reads right to left (its first letter with a
  // direction is Arabic or Hebrew): its lines are then aligned right.
  bool RightToLeft() const { return rightToLeft_; }

  // Characters [begin, end) of Shaped(), a line, in drawing order.
  std::vector<char32_t> Visual(std::size_t begin, std::size_t end) const;

 private:
  std::vector<char32_t> shaped_;
  std::vector<unsigned> types_;      // fribidi's character types
  std::vector<signed char> levels_;  // embedding levels; empty: no fribidi
  unsigned direction_ = 0;           // fribidi's resolved paragraph type
  bool rightToLeft_ = false;
};

}  // namespace posix
