// Fonts for the built-in message box: Xft with fontconfig, loaded at run
// time, which finds every character some installed font has (CJK included);
// else a core X font in ISO 10646 encoding, which covers the Latin, Greek
// and Cyrillic scripts.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/posix/x11_library.h"

namespace posix {

struct Rgb {
  unsigned char red, green, blue;
};

class BoxFont {
 public:
  virtual ~BoxFont() = default;
  // Horizontal advance of one character, in pixels.
  virtual int Advance(char32_t c) = 0;
  // Tallest ascent and descent among the fonts used so far.
  virtual int Ascent() const = 0;
  virtual int Descent() const = 0;
  // Draws `count` characters with their baseline at `y`.
  virtual void Draw(Drawable target, int x, int y, const char32_t* text,
                    std::size_t count, Rgb colour) = 0;
  // Lets go of what drawing on windows took, before they are destroyed.
  virtual void ReleaseTargets() {}
};

// A font of `points` size for the screen, or null when neither kind opens.
std::unique_ptr<BoxFont> OpenBoxFont(const X11Library& x, Display* display,
                                     double points);

}  // namespace posix
