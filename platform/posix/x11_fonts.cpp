// Fonts of the built-in box. Xft (libXft.so.2 with its fontconfig) is loaded
// with dlopen; its few types are declared here as their stable binary
// interface defines them, so that building needs no Xft headers. Each
// character is drawn with the first font of fontconfig's sorted list for
// the pattern that has it (fonts open as they are first needed). Without
// Xft, a core font through XLoadQueryFont, XTextWidth16 and XDrawString16.
#include "platform/posix/x11_fonts.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>
#include <vector>

namespace posix {

namespace {

// --- The parts of libXft and fontconfig that are used, as they are laid out.
struct FcPattern;
struct FcCharSet;
struct FcConfig;
struct XftDraw;
using FcBool = int;
using FcChar32 = unsigned int;
constexpr int kFcMatchPattern = 0;
constexpr int kFcResultMatch = 0;
struct FcFontSet {
  int nfont;
  int sfont;
  FcPattern** fonts;
};
struct XftFont {
  int ascent;
  int descent;
  int height;
  int max_advance_width;
  FcCharSet* charset;
  FcPattern* pattern;
};
struct XRenderColor {
  unsigned short red, green, blue, alpha;
};
struct XftColor {
  unsigned long pixel;
  XRenderColor color;
};
struct XGlyphInfo {
  unsigned short width, height;
  short x, y, xOff, yOff;
};

#define PELLOMAR_XFT_FUNCTIONS(F)                                              \
  F(XftDefaultSubstitute, void(Display*, int, FcPattern*))                     \
  F(XftFontOpenPattern, XftFont*(Display*, FcPattern*))                        \
  F(XftFontClose, void(Display*, XftFont*))                                    \
  F(XftTextExtents32,                                                          \
    void(Display*, XftFont*, const FcChar32*, int, XGlyphInfo*))               \
  F(XftDrawCreate, XftDraw*(Display*, Drawable, Visual*, Colormap))            \
  F(XftDrawDestroy, void(XftDraw*))                                            \
  F(XftDrawString32,                                                           \
    void(XftDraw*, const XftColor*, XftFont*, int, int, const FcChar32*, int)) \
  F(XftColorAllocValue,                                                        \
    int(Display*, Visual*, Colormap, const XRenderColor*, XftColor*))          \
  F(XftColorFree, void(Display*, Visual*, Colormap, XftColor*))                \
  F(FcNameParse, FcPattern*(const unsigned char*))                             \
  F(FcConfigSubstitute, FcBool(FcConfig*, FcPattern*, int))                    \
  F(FcFontSort, FcFontSet*(FcConfig*, FcPattern*, FcBool, FcCharSet**, int*))  \
  F(FcFontRenderPrepare, FcPattern*(FcConfig*, FcPattern*, FcPattern*))        \
  F(FcPatternGetCharSet, int(const FcPattern*, const char*, int, FcCharSet**)) \
  F(FcCharSetHasChar, FcBool(const FcCharSet*, FcChar32))                      \
  F(FcPatternDestroy, void(FcPattern*))                                        \
  F(FcFontSetDestroy, void(FcFontSet*))

template <typename Function>
using Pointer = Function*;

struct XftLibrary {
#define PELLOMAR_XFT_MEMBER(name, type) Pointer<type> name;
  PELLOMAR_XFT_FUNCTIONS(PELLOMAR_XFT_MEMBER)
#undef PELLOMAR_XFT_MEMBER
};

const XftLibrary* LoadXft() {
  static XftLibrary xft;
  static enum { kNotTried, kLoaded, kMissing } state = kNotTried;
  if (state == kNotTried) {
    state = kMissing;
    if (void* library = dlopen("libXft.so.2", RTLD_LAZY | RTLD_LOCAL)) {
      bool all = true;
      // fontconfig's functions come through libXft's own dependencies.
#define PELLOMAR_XFT_RESOLVE(name, type)                             \
  xft.name = reinterpret_cast<Pointer<type>>(dlsym(library, #name)); \
  all = all && xft.name != nullptr;
      PELLOMAR_XFT_FUNCTIONS(PELLOMAR_XFT_RESOLVE)
#undef PELLOMAR_XFT_RESOLVE
      if (all) {
        state = kLoaded;
      } else {
        dlclose(library);
      }
    }
  }
  return state == kLoaded ? &xft : nullptr;
}

class XftBoxFont final : public BoxFont {
 public:
  XftBoxFont(const XftLibrary& xft, const X11Library& x, Display* display,
             FcPattern* pattern, FcFontSet* sorted)
      : xft_(xft),
        x_(x),
        display_(display),
        pattern_(pattern),
        sorted_(sorted),
        opened_(static_cast<std::size_t>(sorted->nfont), nullptr) {}

  ~XftBoxFont() override {
    ReleaseTargets();
    const int screen = x_.XDefaultScreen(display_);
    for (auto& colour : colours_)
      xft_.XftColorFree(display_, x_.XDefaultVisual(display_, screen),
                        x_.XDefaultColormap(display_, screen), &colour.second);
    for (XftFont* font : opened_)
      if (font != nullptr) xft_.XftFontClose(display_, font);
    xft_.FcFontSetDestroy(sorted_);
    xft_.FcPatternDestroy(pattern_);
  }

  // Whether the best font opens at all: without it there is nothing to draw.
  bool Usable() { return FontFor(' ') != nullptr; }

  void ReleaseTargets() override {
    for (auto& draw : draws_) xft_.XftDrawDestroy(draw.second);
    draws_.clear();
  }

  int Advance(char32_t c) override {
    XftFont* font = FontFor(c);
    if (font == nullptr) return 0;
    const FcChar32 glyph = c;
    XGlyphInfo info;
    xft_.XftTextExtents32(display_, font, &glyph, 1, &info);
    return info.xOff;
  }

  int Ascent() const override { return ascent_; }
  int Descent() const override { return descent_; }

  void Draw(Drawable target, int x, int y, const char32_t* text,
            std::size_t count, Rgb colour) override {
    XftDraw* draw = DrawFor(target);
    const XftColor* c = ColourFor(colour);
    if (draw == nullptr || c == nullptr) return;
    // One call for each run of characters that the same font draws.
    for (std::size_t i = 0; i < count;) {
      XftFont* font = FontFor(text[i]);
      std::size_t end = i + 1;
      while (end < count && FontFor(text[end]) == font) ++end;
      if (font != nullptr) {
        std::vector<FcChar32> run(text + i, text + end);
        xft_.XftDrawString32(draw, c, font, x, y, run.data(),
                             static_cast<int>(run.size()));
        XGlyphInfo info;
        xft_.XftTextExtents32(display_, font, run.data(),
                              static_cast<int>(run.size()), &info);
        x += info.xOff;
      }
      i = end;
    }
  }

 private:
  // The first font in fontconfig's order that has the character, else the
  // best one (which then shows its missing-glyph box).
  XftFont* FontFor(char32_t c) {
    for (int i = 0; i < sorted_->nfont; ++i) {
      FcCharSet* charset = nullptr;
      if (xft_.FcPatternGetCharSet(sorted_->fonts[i], "charset", 0, &charset) ==
              kFcResultMatch &&
          xft_.FcCharSetHasChar(charset, c)) {
        if (XftFont* font = Open(i)) return font;
      }
    }
    for (int i = 0; i < sorted_->nfont; ++i) {
      if (XftFont* font = Open(i)) return font;
    }
    return nullptr;
  }

  XftFont* Open(int index) {
    XftFont*& font = opened_[static_cast<std::size_t>(index)];
    if (font == nullptr && !failed_.count(index)) {
      FcPattern* prepared =
          xft_.FcFontRenderPrepare(nullptr, pattern_, sorted_->fonts[index]);
      if (prepared != nullptr)
        font = xft_.XftFontOpenPattern(display_, prepared);
      if (font == nullptr) {
        if (prepared != nullptr) xft_.FcPatternDestroy(prepared);
        failed_.insert(index);
      } else {
        ascent_ = std::max(ascent_, font->ascent);
        descent_ = std::max(descent_, font->descent);
      }
    }
    return font;
  }

  XftDraw* DrawFor(Drawable target) {
    for (auto& draw : draws_)
      if (draw.first == target) return draw.second;
    const int screen = x_.XDefaultScreen(display_);
    XftDraw* draw = xft_.XftDrawCreate(display_, target,
                                       x_.XDefaultVisual(display_, screen),
                                       x_.XDefaultColormap(display_, screen));
    if (draw != nullptr) draws_.emplace_back(target, draw);
    return draw;
  }

  const XftColor* ColourFor(Rgb rgb) {
    const unsigned key = (rgb.red << 16) | (rgb.green << 8) | rgb.blue;
    for (auto& colour : colours_)
      if (colour.first == key) return &colour.second;
    const auto wide = [](unsigned char v) {
      return static_cast<unsigned short>(v * 0x101);
    };
    const XRenderColor value = {wide(rgb.red), wide(rgb.green), wide(rgb.blue),
                                0xFFFF};
    XftColor colour;
    const int screen = x_.XDefaultScreen(display_);
    if (!xft_.XftColorAllocValue(display_, x_.XDefaultVisual(display_, screen),
                                 x_.XDefaultColormap(display_, screen), &value,
                                 &colour))
      return nullptr;
    colours_.emplace_back(key, colour);
    return &colours_.back().second;
  }

  const XftLibrary& xft_;
  const X11Library& x_;
  Display* display_;
  FcPattern* pattern_;
  FcFontSet* sorted_;
  std::vector<XftFont*> opened_;
  std::set<int> failed_;
  std::vector<std::pair<Drawable, XftDraw*>> draws_;
  std::vector<std::pair<unsigned, XftColor>> colours_;
  int ascent_ = 0;
  int descent_ = 0;
};

std::unique_ptr<BoxFont> OpenXftFont(const X11Library& x, Display* display,
                                     double points) {
  const XftLibrary* xft = LoadXft();
  if (xft == nullptr) return nullptr;
  char name[64];
  std::snprintf(name, sizeof name, "sans-serif-%g", points);
  FcPattern* pattern =
      xft->FcNameParse(reinterpret_cast<const unsigned char*>(name));
  if (pattern == nullptr) return nullptr;
  xft->FcConfigSubstitute(nullptr, pattern, kFcMatchPattern);
  xft->XftDefaultSubstitute(display, x.XDefaultScreen(display), pattern);
  int result = 0;
  FcFontSet* sorted = xft->FcFontSort(nullptr, pattern, 1, nullptr, &result);
  if (sorted == nullptr || sorted->nfont == 0) {
    if (sorted != nullptr) xft->FcFontSetDestroy(sorted);
    xft->FcPatternDestroy(pattern);
    return nullptr;
  }
  auto font = std::make_unique<XftBoxFont>(*xft, x, display, pattern, sorted);
  if (!font->Usable()) return nullptr;
  return font;
}

// A core font: the server draws it, so only what the server's fonts hold
// shows; characters beyond 16 bits show as '?'.
class CoreBoxFont final : public BoxFont {
 public:
  CoreBoxFont(const X11Library& x, Display* display, XFontStruct* font)
      : x_(x), display_(display), font_(font) {
    gc_ = x_.XCreateGC(display_, x_.XDefaultRootWindow(display_), 0, nullptr);
    x_.XSetFont(display_, gc_, font_->fid);
  }
  ~CoreBoxFont() override {
    x_.XFreeGC(display_, gc_);
    x_.XFreeFont(display_, font_);
  }

  int Advance(char32_t c) override {
    const XChar2b glyph = Glyph(c);
    return x_.XTextWidth16(font_, &glyph, 1);
  }
  int Ascent() const override { return font_->ascent; }
  int Descent() const override { return font_->descent; }

  void Draw(Drawable target, int x, int y, const char32_t* text,
            std::size_t count, Rgb colour) override {
    std::vector<XChar2b> glyphs;
    for (std::size_t i = 0; i < count; ++i) glyphs.push_back(Glyph(text[i]));
    XColor c = {};
    c.red = static_cast<unsigned short>(colour.red * 0x101);
    c.green = static_cast<unsigned short>(colour.green * 0x101);
    c.blue = static_cast<unsigned short>(colour.blue * 0x101);
    const int screen = x_.XDefaultScreen(display_);
    if (x_.XAllocColor(display_, x_.XDefaultColormap(display_, screen), &c))
      x_.XSetForeground(display_, gc_, c.pixel);
    x_.XDrawString16(display_, target, gc_, x, y, glyphs.data(),
                     static_cast<int>(glyphs.size()));
  }

 private:
  static XChar2b Glyph(char32_t c) {
    if (c > 0xFFFF) c = '?';
    return {static_cast<unsigned char>(c >> 8),
            static_cast<unsigned char>(c & 0xFF)};
  }

  const X11Library& x_;
  Display* display_;
  XFontStruct* font_;
  GC gc_;
};

}  // namespace

std::unique_ptr<BoxFont> OpenBoxFont(const X11Library& x, Display* display,
                                     double points) {
  if (auto font = OpenXftFont(x, display, points)) return font;
  for (const char* name :
       {"-misc-fixed-medium-r-normal--13-*-*-*-*-*-iso10646-1", "fixed"}) {
    if (XFontStruct* font = x.XLoadQueryFont(display, name))
      return std::make_unique<CoreBoxFont>(x, display, font);
  }
  return nullptr;
}

}  // namespace posix
