// The built-in message box, for a display where no dialog program works:
// one X11 window drawn with libX11 (x11_library.h) and Xft or core fonts
// (x11_fonts.h), shaped after a Windows message box. The caption is the
// title; the text wraps (box_layout.h); Yes and No, or OK, sit bottom right
// with the first one focused. Return or Space answers the focused button,
// Tab, Shift+Tab and the arrow keys move between them, a click answers, and
// Escape or the window manager's close button answer No or OK. The window
// is centred, asks to stay above others, and the call returns only once it
// is answered. Arabic and Hebrew text reads right to left and is aligned
// right where fribidi is installed (bidi.h). Left out: a mirrored layout for
// right-to-left languages (icon and buttons stay where Windows puts them),
// several monitors (the box is centred on the whole screen), and more than a
// basic set of button languages.
#include "platform/posix/x11_box.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/bidi.h"
#include "platform/posix/box_layout.h"
#include "platform/posix/box_style.h"
#include "platform/posix/console.h"
#include "platform/posix/display.h"
#include "platform/posix/locale.h"
#include "platform/posix/x11_fonts.h"
#include "platform/posix/x11_library.h"
#include "platform/seam.h"
#include "portable/emulation/utf8.h"

namespace posix {

namespace {

constexpr double kFontPoints = 10;
constexpr int kTabSpaces = 4;

constexpr Rgb kWindowColour = {255, 255, 255};
constexpr Rgb kStripColour = {240, 240, 240};
constexpr Rgb kTextColour = {0, 0, 0};
constexpr Rgb kButtonFace = {225, 225, 225};
constexpr Rgb kButtonHover = {229, 241, 251};
constexpr Rgb kButtonPressed = {204, 228, 247};
constexpr Rgb kButtonBorder = {173, 173, 173};
constexpr Rgb kFocusBorder = {0, 120, 215};
constexpr Rgb kIconColour = {0, 99, 177};

// Windows shows its buttons in the language of the user's system.
struct ButtonLabels {
  const char* language;
  const char* yes;
  const char* no;
  const char* ok;
};

const ButtonLabels kButtonLabels[] = {
    {"en", "Yes", "No", "OK"},
    {"de", "Ja", "Nein", "OK"},
    {"fr", "Oui", "Non", "OK"},
    {"es", "S\xC3\xAD", "No", "Aceptar"},
    {"it", "S\xC3\xAC", "No", "OK"},
    {"nl", "Ja", "Nee", "OK"},
    {"pt", "Sim", "N\xC3\xA3o", "OK"},
    {"sv", "Ja", "Nej", "OK"},
    {"da", "Ja", "Nej", "OK"},
    {"nb", "Ja", "Nei", "OK"},
    {"fi", "Kyll\xC3\xA4", "Ei", "OK"},
    {"pl", "Tak", "Nie", "OK"},
    {"cs", "Ano", "Ne", "OK"},
    {"ru", "\xD0\x94\xD0\xB0", "\xD0\x9D\xD0\xB5\xD1\x82", "OK"},
    {"ja", "\xE3\x81\xAF\xE3\x81\x84", "\xE3\x81\x84\xE3\x81\x84\xE3\x81\x88",
     "OK"},
    {"zh", "\xE6\x98\xAF", "\xE5\x90\xA6", "\xE7\xA1\xAE\xE5\xAE\x9A"},
    {"ko", "\xEC\x98\x88", "\xEC\x95\x84\xEB\x8B\x88\xEC\x9A\x94",
     "\xED\x99\x95\xEC\x9D\xB8"},
    {"ar", "\xD9\x86\xD8\xB9\xD9\x85", "\xD9\x84\xD8\xA7",
     "\xD9\x85\xD9\x88\xD8\xA7\xD9\x81\xD9\x82"},
    {"he", "\xD7\x9B\xD7\x9F", "\xD7\x9C\xD7\x90",
     "\xD7\x90\xD7\x99\xD7\xA9\xD7\x95\xD7\xA8"},
};

const ButtonLabels& LabelsForUser() {
  std::string language = LocaleName("LC_MESSAGES");
  language = language.substr(0, language.find_first_of("_.@"));
  for (const ButtonLabels& labels : kButtonLabels) {
    if (language == labels.language) return labels;
  }
  return kButtonLabels[0];
}

// What the box shows for a text: UTF-8, control characters made visible,
// tabs as blanks.
std::vector<char32_t> ShownText(const char* text) {
  std::vector<char32_t> shown;
  for (const char32_t c :
       emulation::DecodeUtf8(VisibleControls(emulation::AsUtf8(text)))) {
    if (c == '\t') {
      shown.insert(shown.end(), kTabSpaces, ' ');
    } else {
      shown.push_back(c);
    }
  }
  return shown;
}

bool lostDisplay = false;

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }
void NoteLostDisplay(Display*, void*) { lostDisplay = true; }
int QuietIoError(Display*) { return 0; }
// Without a way to survive a lost server, end the run as a No would.
int EndOnIoError(Display*) { _exit(0); }

struct Button {
  Window window = 0;
  std::string name;             // the label as written
  std::vector<char32_t> label;  // as drawn
  int answer = 0;
  Rect rect = {0, 0, 0, 0};
};

class Box {
 public:
  Box(const X11Library& x, Display* display, BoxFont* font)
      : x_(x), display_(display), font_(font) {}

  ~Box() {
    font_->ReleaseTargets();
    if (gc_ != nullptr) x_.XFreeGC(display_, gc_);
    if (window_ != 0) x_.XDestroyWindow(display_, window_);
  }

  int Run(const char* text, const char* caption, unsigned style) {
    bidi_ = BidiText(ShownText(text));
    text_ = bidi_.Shaped();
    const ButtonLabels& labels = LabelsForUser();
    const bool question = IsQuestion(style);
    if (question) {
      AddButton(labels.yes, platform::kAnswerYes);
      AddButton(labels.no, platform::kAnswerNo);
    } else {
      AddButton(labels.ok, platform::kAnswerOk);
    }
    cancel_ = question ? platform::kAnswerNo : platform::kAnswerOk;
    LayOut();
    if (!Create(caption)) return -1;
    return Loop();
  }

 private:
  void AddButton(const char* label, int answer) {
    Button button;
    button.name = label;
    const BidiText bidi(emulation::DecodeUtf8(label));
    button.label = bidi.Visual(0, bidi.Shaped().size());
    button.answer = answer;
    buttons_.push_back(button);
  }

  int Width(const std::vector<char32_t>& text, std::size_t begin,
            std::size_t end) {
    int width = 0;
    for (std::size_t i = begin; i < end; ++i) width += font_->Advance(text[i]);
    return width;
  }

  void LayOut() {
    // Each advance once, summed: every span's width is then a subtraction.
    std::vector<int> sums(text_.size() + 1, 0);
    for (std::size_t i = 0; i < text_.size(); ++i)
      sums[i + 1] = sums[i] + font_->Advance(text_[i]);
    BoxMetrics metrics;
    for (const Button& b : buttons_)
      metrics.labelWidths.push_back(Width(b.label, 0, b.label.size()));
    // Every font the text needs is open now, so the line height is known.
    lineHeight_ = font_->Ascent() + font_->Descent() + 1;
    const int screen = x_.XDefaultScreen(display_);
    metrics.lineHeight = lineHeight_;
    metrics.screenWidth = x_.XDisplayWidth(display_, screen);
    metrics.screenHeight = x_.XDisplayHeight(display_, screen);
    const int wrapAt = LayOutBox(metrics, 0, 0).maxTextWidth;
    lines_ = WrapText(text_, wrapAt, [&](std::size_t begin, std::size_t end) {
      return sums[end] - sums[begin];
    });
    int widest = 0;
    for (const TextLine& line : lines_)
      widest = std::max(widest, sums[line.end] - sums[line.begin]);
    geometry_ = LayOutBox(metrics, widest, static_cast<int>(lines_.size()));
    for (std::size_t i = 0; i < buttons_.size(); ++i)
      buttons_[i].rect = geometry_.buttons[i];
  }

  unsigned long Pixel(Rgb rgb) {
    XColor colour = {};
    colour.red = static_cast<unsigned short>(rgb.red * 0x101);
    colour.green = static_cast<unsigned short>(rgb.green * 0x101);
    colour.blue = static_cast<unsigned short>(rgb.blue * 0x101);
    const int screen = x_.XDefaultScreen(display_);
    x_.XAllocColor(display_, x_.XDefaultColormap(display_, screen), &colour);
    return colour.pixel;
  }

  Atom Intern(const char* name) {
    return x_.XInternAtom(display_, name, False);
  }

  void SetText(Window window, Atom property, const std::string& utf8) {
    bool ascii = true;
    for (const char c : utf8)
      ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    const Atom type = ascii ? XA_STRING : Intern("UTF8_STRING");
    x_.XChangeProperty(display_, window, property, type, 8, PropModeReplace,
                       reinterpret_cast<const unsigned char*>(utf8.data()),
                       static_cast<int>(utf8.size()));
  }

  bool Create(const char* caption) {
    const int screen = x_.XDefaultScreen(display_);
    const Rect& w = geometry_.window;
    window_ = x_.XCreateSimpleWindow(display_, x_.XRootWindow(display_, screen),
                                     w.x, w.y, static_cast<unsigned>(w.width),
                                     static_cast<unsigned>(w.height), 0, 0,
                                     Pixel(kWindowColour));
    if (window_ == 0) return false;
    x_.XSelectInput(display_, window_,
                    ExposureMask | KeyPressMask | StructureNotifyMask);
    for (Button& b : buttons_) {
      b.window = x_.XCreateSimpleWindow(display_, window_, b.rect.x, b.rect.y,
                                        static_cast<unsigned>(b.rect.width),
                                        static_cast<unsigned>(b.rect.height), 0,
                                        0, Pixel(kButtonFace));
      x_.XSelectInput(display_, b.window,
                      ExposureMask | ButtonPressMask | ButtonReleaseMask |
                          EnterWindowMask | LeaveWindowMask);
      // Named as written, so that tools that read the screen (and tests)
      // find it.
      SetText(b.window, XA_WM_NAME, b.name);
    }

    const std::string title = VisibleControls(emulation::AsUtf8(caption));
    SetText(window_, XA_WM_NAME, title);
    const Atom utf8 = Intern("UTF8_STRING");
    x_.XChangeProperty(display_, window_, Intern("_NET_WM_NAME"), utf8, 8,
                       PropModeReplace,
                       reinterpret_cast<const unsigned char*>(title.data()),
                       static_cast<int>(title.size()));
    char name[] = "pellomar", className[] = "Pellomar";
    XClassHint classHint = {name, className};
    x_.XSetClassHint(display_, window_, &classHint);
    deleteWindow_ = Intern("WM_DELETE_WINDOW");
    x_.XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    const Atom dialog = Intern("_NET_WM_WINDOW_TYPE_DIALOG");
    x_.XChangeProperty(display_, window_, Intern("_NET_WM_WINDOW_TYPE"),
                       XA_ATOM, 32, PropModeReplace,
                       reinterpret_cast<const unsigned char*>(&dialog), 1);
    const Atom above = Intern("_NET_WM_STATE_ABOVE");
    x_.XChangeProperty(display_, window_, Intern("_NET_WM_STATE"), XA_ATOM, 32,
                       PropModeReplace,
                       reinterpret_cast<const unsigned char*>(&above), 1);

    if (XSizeHints* size = x_.XAllocSizeHints()) {
      size->flags = PPosition | PSize | PMinSize | PMaxSize;
      size->x = w.x;
      size->y = w.y;
      size->width = size->min_width = size->max_width = w.width;
      size->height = size->min_height = size->max_height = w.height;
      x_.XSetWMNormalHints(display_, window_, size);
      x_.XFree(size);
    }
    if (XWMHints* hints = x_.XAllocWMHints()) {
      hints->flags = InputHint | StateHint;
      hints->input = True;
      hints->initial_state = NormalState;
      x_.XSetWMHints(display_, window_, hints);
      x_.XFree(hints);
    }
    gc_ = x_.XCreateGC(display_, window_, 0, nullptr);
    x_.XMapSubwindows(display_, window_);
    x_.XMapRaised(display_, window_);
    x_.XFlush(display_);
    return true;
  }

  void Fill(Drawable target, Rgb colour, int x, int y, int width, int height) {
    x_.XSetForeground(display_, gc_, Pixel(colour));
    x_.XFillRectangle(display_, target, gc_, x, y, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
  }

  void Outline(Drawable target, Rgb colour, int inset, int width, int height) {
    x_.XSetForeground(display_, gc_, Pixel(colour));
    x_.XDrawRectangle(display_, target, gc_, inset, inset,
                      static_cast<unsigned>(width - 1 - 2 * inset),
                      static_cast<unsigned>(height - 1 - 2 * inset));
  }

  // A Windows-like icon: white "?" or "i" in a blue disc, in primitives.
  void DrawIcon() {
    const Rect& r = geometry_.icon;
    const int s = r.width;
    const auto at = [s](double share) { return static_cast<int>(share * s); };
    x_.XSetForeground(display_, gc_, Pixel(kIconColour));
    x_.XFillArc(display_, window_, gc_, r.x, r.y, static_cast<unsigned>(s),
                static_cast<unsigned>(s), 0, 360 * 64);
    x_.XSetForeground(display_, gc_, Pixel(kWindowColour));
    const int cx = r.x + s / 2;
    const int dot = std::max(3, at(0.15));
    if (buttons_.size() > 1) {
      const int radius = at(0.17);
      x_.XSetLineAttributes(display_, gc_, static_cast<unsigned>(at(0.11)),
                            LineSolid, CapRound, JoinRound);
      x_.XDrawArc(display_, window_, gc_, cx - radius, r.y + at(0.2),
                  static_cast<unsigned>(2 * radius),
                  static_cast<unsigned>(2 * radius), 160 * 64, -250 * 64);
      x_.XFillRectangle(display_, window_, gc_, cx - at(0.055),
                        r.y + at(0.2) + 2 * radius - at(0.04),
                        static_cast<unsigned>(at(0.11)),
                        static_cast<unsigned>(at(0.16)));
      x_.XSetLineAttributes(display_, gc_, 0, LineSolid, CapButt, JoinMiter);
      x_.XFillArc(display_, window_, gc_, cx - dot / 2, r.y + at(0.7),
                  static_cast<unsigned>(dot), static_cast<unsigned>(dot), 0,
                  360 * 64);
    } else {
      x_.XFillArc(display_, window_, gc_, cx - dot / 2, r.y + at(0.17),
                  static_cast<unsigned>(dot), static_cast<unsigned>(dot), 0,
                  360 * 64);
      x_.XFillRectangle(display_, window_, gc_, cx - at(0.065), r.y + at(0.4),
                        static_cast<unsigned>(at(0.13)),
                        static_cast<unsigned>(at(0.42)));
    }
  }

  int Baseline(int top, int height) const {
    const int ink = font_->Ascent() + font_->Descent();
    return top + (height - ink) / 2 + font_->Ascent();
  }

  void DrawWindow() {
    const Rect& w = geometry_.window;
    Fill(window_, kWindowColour, 0, 0, w.width, geometry_.stripTop);
    Fill(window_, kStripColour, 0, geometry_.stripTop, w.width,
         w.height - geometry_.stripTop);
    DrawIcon();
    int top = geometry_.text.y;
    for (const TextLine& line : lines_) {
      const std::vector<char32_t> shown = bidi_.Visual(line.begin, line.end);
      const int x = bidi_.RightToLeft()
                        ? geometry_.text.x + geometry_.text.width -
                              Width(text_, line.begin, line.end)
                        : geometry_.text.x;
      font_->Draw(window_, x, Baseline(top, lineHeight_), shown.data(),
                  shown.size(), kTextColour);
      top += lineHeight_;
    }
  }

  void DrawButton(std::size_t index) {
    const Button& b = buttons_[index];
    const int w = b.rect.width, h = b.rect.height;
    const Rgb face = static_cast<int>(index) == pressed_   ? kButtonPressed
                     : static_cast<int>(index) == hovered_ ? kButtonHover
                                                           : kButtonFace;
    Fill(b.window, face, 0, 0, w, h);
    if (static_cast<int>(index) == focused_) {
      Outline(b.window, kFocusBorder, 0, w, h);
      Outline(b.window, kFocusBorder, 1, w, h);
    } else {
      Outline(b.window, kButtonBorder, 0, w, h);
    }
    const int labelWidth = Width(b.label, 0, b.label.size());
    font_->Draw(b.window, (w - labelWidth) / 2, Baseline(0, h), b.label.data(),
                b.label.size(), kTextColour);
  }

  void DrawButtons() {
    for (std::size_t i = 0; i < buttons_.size(); ++i) DrawButton(i);
  }

  int ButtonOf(Window window) const {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
      if (buttons_[i].window == window) return static_cast<int>(i);
    return -1;
  }

  void MoveFocus(int step) {
    const int count = static_cast<int>(buttons_.size());
    focused_ = (focused_ + step + count) % count;
    DrawButtons();
  }

  // The answer an event gives, or -1 while the box stays.
  int Handle(XEvent& event) {
    switch (event.type) {
      case MapNotify:
        if (event.xmap.window == window_)
          x_.XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        break;
      case Expose:
        if (event.xexpose.count == 0) {
          const int button = ButtonOf(event.xexpose.window);
          if (button >= 0) {
            DrawButton(static_cast<std::size_t>(button));
          } else {
            DrawWindow();
          }
        }
        break;
      case KeyPress: {
        const KeySym key = x_.XLookupKeysym(&event.xkey, 0);
        const bool shift = (event.xkey.state & ShiftMask) != 0;
        if (key == XK_Return || key == XK_KP_Enter || key == XK_space)
          return buttons_[static_cast<std::size_t>(focused_)].answer;
        if (key == XK_Escape) return cancel_;
        if (key == XK_Tab) MoveFocus(shift ? -1 : 1);
        if (key == XK_ISO_Left_Tab || key == XK_Left || key == XK_Up)
          MoveFocus(-1);
        if (key == XK_Right || key == XK_Down) MoveFocus(1);
        break;
      }
      case ButtonPress:
        if (event.xbutton.button == Button1) {
          pressed_ = ButtonOf(event.xbutton.window);
          if (pressed_ >= 0) focused_ = pressed_;
          DrawButtons();
        }
        break;
      case ButtonRelease:
        if (event.xbutton.button == Button1 && pressed_ >= 0) {
          const Button& b = buttons_[static_cast<std::size_t>(pressed_)];
          const bool inside = event.xbutton.window == b.window &&
                              event.xbutton.x >= 0 && event.xbutton.y >= 0 &&
                              event.xbutton.x < b.rect.width &&
                              event.xbutton.y < b.rect.height;
          pressed_ = -1;
          DrawButtons();
          if (inside) return b.answer;
        }
        break;
      case EnterNotify:
      case LeaveNotify:
        hovered_ =
            event.type == EnterNotify ? ButtonOf(event.xcrossing.window) : -1;
        DrawButtons();
        break;
      case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_)
          return cancel_;
        break;
      default:
        break;
    }
    return -1;
  }

  int Loop() {
    int answer = -1;
    while (answer < 0) {
      if (lostDisplay) return cancel_;
      if (x_.XPending(display_) == 0) {
        pollfd wait = {x_.XConnectionNumber(display_), POLLIN, 0};
        if (poll(&wait, 1, -1) < 0 && errno != EINTR) return cancel_;
        x_.XPending(display_);  // reads what came, or notes a lost server
        continue;
      }
      XEvent event;
      x_.XNextEvent(display_, &event);
      answer = Handle(event);
    }
    return answer;
  }

  const X11Library& x_;
  Display* display_;
  BoxFont* font_;
  BidiText bidi_{{}};
  std::vector<char32_t> text_;  // shaped, in stored order
  std::vector<TextLine> lines_;
  std::vector<Button> buttons_;
  BoxGeometry geometry_;
  int lineHeight_ = 0;
  int cancel_ = platform::kAnswerOk;
  int focused_ = 0;
  int hovered_ = -1;
  int pressed_ = -1;
  Window window_ = 0;
  GC gc_ = nullptr;
  Atom deleteWindow_ = 0;
};

}  // namespace

int X11MessageBox(const char* text, const char* caption, unsigned style) {
  if (!X11DisplayAnswers() || lostDisplay) return -1;
  const X11Library* x = LoadX11();
  if (x == nullptr) return -1;
  Display* display = SharedDisplay(*x);
  if (display == nullptr) return -1;
  if (x->XSetIOErrorExitHandler != nullptr) {
    x->XSetIOErrorHandler(QuietIoError);
    x->XSetIOErrorExitHandler(display, NoteLostDisplay, nullptr);
  } else {
    x->XSetIOErrorHandler(EndOnIoError);
  }
  const XErrorHandler previous = x->XSetErrorHandler(IgnoreErrors);
  int answer = -1;
  {
    std::unique_ptr<BoxFont> font = OpenBoxFont(*x, display, kFontPoints);
    if (font != nullptr) {
      Box box(*x, display, font.get());
      answer = box.Run(text, caption, style);
    }
  }
  if (!lostDisplay) x->XSync(display, False);  // due errors: IgnoreErrors
  x->XSetErrorHandler(previous);
  return answer;
}

}  // namespace posix
