// The pieces of Linux boxes that need no display: console text, the dialog
// programs' locale and arguments, the built-in box's layout, and the bounded
// display probe against servers on the loopback.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/posix/bidi.h"
#include "platform/posix/box_layout.h"
#include "platform/posix/console.h"
#include "platform/posix/dialog_locale.h"
#include "platform/posix/dialogs.h"
#include "platform/posix/display.h"
#include "portable/emulation/utf8.h"

namespace {

TEST(ConsoleText, ControlsVisibleInTheTerminalsCharacterSet) {
  const struct {
    const char* locale;  // LC_ALL
    std::string text;
    std::string shown;
  } cases[] = {
      {"C", "plain\ttab", "plain\ttab"},
      {"C", "App\x1b[2Kx", "App^[[2Kx"},
      {"C", "\x07\x08\r\n\x7f", "^G^H^M^J^?"},
      {"C", "\x1b]0;title\x07", "^[]0;title^G"},
      {"C",
       "Gr\xC3\xB6\xC3\x9F"
       "e \xE6\x97\xA5",
       "Gr\xC3\xB6\xC3\x9F"
       "e \xE6\x97\xA5"},
      {"C",
       "\xC2\x9B"
       "2J",
       "M-^[2J"},  // 8-bit CSI in UTF-8
      // An 8-bit text is Windows-1252 (9B is a closing angle quote there),
      // never raw bytes.
      {"C",
       "caf\xE9 \x9B"
       "2J",
       "caf\xC3\xA9 \xE2\x80\xBA"
       "2J"},
      {"de_DE.UTF-8", "Gr\xC3\xB6\xC3\x9F", "Gr\xC3\xB6\xC3\x9F"},
      // A terminal of another character set, the locale installed or not:
      // converted, '?' for what it lacks.
      {"de_DE.ISO-8859-1",
       "Gr\xC3\xB6\xC3\x9F"
       "e \xE6\x97\xA5",
       "Gr\xF6\xDF"
       "e ?"},
      {"de_DE.ISO-8859-1@euro",
       "M\xF6"
       "chten",
       "M\xF6"
       "chten"},
      {"ja_JP.eucJP", "\xE6\x97\xA5\x1b", "\xC6\xFC^["},
      {"xx_XX.NO-SUCH-SET", "\xC3\xA9t\xC3\xA9", "?t?"},
  };
  for (const auto& c : cases) {
    setenv("LC_ALL", c.locale, 1);
    EXPECT_EQ(posix::ConsoleText(c.text), c.shown)
        << c.locale << " " << testing::PrintToString(c.text);
  }
  unsetenv("LC_ALL");
}

TEST(ConsoleText, YesWithoutALocale) {
  setenv("LC_ALL", "C", 1);
  const struct {
    const char* line;
    bool yes;
  } cases[] = {{"y", true},     {"Yes\n", true}, {" yEs \r\n", true},
               {"yess", false}, {"no", false},   {"", false},
               {"ja", false},   {"y y", false}};
  for (const auto& c : cases)
    EXPECT_EQ(posix::MeansYes(c.line), c.yes) << c.line;
  unsetenv("LC_ALL");
}

// A catalogue of installed locales, as InstalledLocale would report them.
posix::LocaleState Catalogue(const std::string& name) {
  if (name == "C.UTF-8" || name == "de_DE.UTF-8" || name == "sr_RS.UTF-8@latin")
    return posix::LocaleState::kUtf8;
  if (name == "C" || name == "POSIX" || name == "de_DE" ||
      name == "de_DE.ISO-8859-1" || name == "sr_RS@latin")
    return posix::LocaleState::kOtherCharset;
  return posix::LocaleState::kMissing;
}

TEST(DialogLocale, UserLocaleOrUtf8WithTheSameLanguage) {
  using Env = std::vector<std::string>;
  const struct {
    Env given;
    Env expected;
  } cases[] = {
      // installed and UTF-8: unchanged
      {{"LANG=de_DE.UTF-8"}, {"LANG=de_DE.UTF-8"}},
      // installed but 8-bit: the same language in UTF-8
      {{"LANG=de_DE"}, {"LANG=de_DE", "LC_ALL=de_DE.UTF-8"}},
      {{"LANG=sr_RS@latin"}, {"LANG=sr_RS@latin", "LC_ALL=sr_RS.UTF-8@latin"}},
      // not installed: C.UTF-8, the language kept for the button labels
      {{"LANG=ja_JP.UTF-8"},
       {"LANG=ja_JP.UTF-8", "LANGUAGE=ja_JP:ja", "LC_ALL=C.UTF-8"}},
      {{"LC_ALL=fr.UTF-8", "LANG=de_DE.UTF-8"},
       {"LC_ALL=C.UTF-8", "LANG=de_DE.UTF-8", "LANGUAGE=fr"}},
      // the user's own LANGUAGE wins
      {{"LANG=ja_JP.UTF-8", "LANGUAGE=en"},
       {"LANG=ja_JP.UTF-8", "LANGUAGE=en", "LC_ALL=C.UTF-8"}},
      // plain C, or nothing at all: C.UTF-8 with no language
      {{"LANG=C"}, {"LANG=C", "LC_ALL=C.UTF-8"}},
      {{"HOME=/x"}, {"HOME=/x", "LC_ALL=C.UTF-8"}},
      // messages in a locale that is missing, characters in a UTF-8 one
      {{"LC_CTYPE=de_DE.UTF-8", "LC_MESSAGES=xx_YY.UTF-8"},
       {"LC_CTYPE=de_DE.UTF-8", "LC_MESSAGES=xx_YY.UTF-8", "LANGUAGE=xx_YY:xx",
        "LC_ALL=C.UTF-8"}},
  };
  for (const auto& c : cases) {
    Env got = posix::DialogEnvironment(c.given, Catalogue);
    Env want = c.expected;
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want) << testing::PrintToString(c.given);
  }
  // Without any UTF-8 locale there is nothing better than what is there.
  const Env given = {"LANG=ja_JP.UTF-8"};
  EXPECT_EQ(posix::DialogEnvironment(given,
                                     [](const std::string&) {
                                       return posix::LocaleState::kMissing;
                                     }),
            given);
}

TEST(DialogLocale, CIsAlwaysInstalled) {
  EXPECT_NE(posix::InstalledLocale("C"), posix::LocaleState::kMissing);
  EXPECT_EQ(posix::InstalledLocale("xx_NOWHERE.UTF-8"),
            posix::LocaleState::kMissing);
}

TEST(Kdialog, TextIsEscapedRichTextTitlePlain) {
  const struct {
    std::string body;
    std::string shown;
  } cases[] = {
      {"Install My App now?", "<qt>Install My App now?</qt>"},
      {"<b>bold</b> & \"q\"",
       "<qt>&lt;b&gt;bold&lt;/b&gt; &amp; &quot;q&quot;</qt>"},
      {"&lt;p&gt;", "<qt>&amp;lt;p&amp;gt;</qt>"},
      {"C:\\new\\app.exe", "<qt>C:&#92;new&#92;app.exe</qt>"},
      {"a   b", "<qt>a &nbsp;&nbsp;b</qt>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(posix::KdialogArguments("<i>App</i>", c.body, true),
              (std::vector<std::string>{"--title", "<i>App</i>", "--yesno",
                                        c.shown}));
  }
  EXPECT_EQ(posix::KdialogArguments("App", "x", false)[2], "--msgbox");
}

// Lines of a wrapped text as strings; every character 1 pixel wide, CJK 2.
std::vector<std::u32string> Wrap(const std::u32string& text, int width) {
  const std::vector<char32_t> points(text.begin(), text.end());
  const auto measure = [&](std::size_t begin, std::size_t end) {
    int w = 0;
    for (std::size_t i = begin; i < end; ++i) w += points[i] >= 0x3000 ? 2 : 1;
    return w;
  };
  std::vector<std::u32string> lines;
  for (const posix::TextLine& line : posix::WrapText(points, width, measure))
    lines.push_back(text.substr(line.begin, line.end - line.begin));
  return lines;
}

TEST(BoxLayout, TextWrapsLikeAMessageBox) {
  using Lines = std::vector<std::u32string>;
  const struct {
    std::u32string text;
    int width;
    Lines lines;
  } cases[] = {
      {U"", 10, {}},
      {U"short", 10, {U"short"}},
      {U"one two three", 7, {U"one two", U"three"}},
      {U"one two three", 8, {U"one two", U"three"}},
      {U"one   two", 3, {U"one", U"two"}},
      {U"abcdefghij", 4, {U"abcd", U"efgh", U"ij"}},
      {U"ab abcdefgh", 4, {U"ab", U"abcd", U"efgh"}},
      {U"日本語の文", 6, {U"日本語", U"の文"}},
      {U"App を今すぐ", 7, {U"App を", U"今すぐ"}},
      // no line starts with a closing mark
      {U"今すぐ。です", 6, {U"今す", U"ぐ。で", U"す"}},
      {U"x", 0, {U"x"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Wrap(c.text, c.width), c.lines);
}

TEST(BoxLayout, LongestTextsStayOnTheScreen) {
  // 254 bytes: 84 CJK characters, or one word of 254 letters, at 13 pixels
  // a CJK character and 8 a letter, on a small and a large screen.
  for (const int screenWidth : {640, 1024, 1920}) {
    for (const auto& text :
         {std::vector<char32_t>(84, 0x65E5), std::vector<char32_t>(254, 'w')}) {
      const int advance = text[0] == 'w' ? 8 : 13;
      posix::BoxMetrics metrics{17, screenWidth, 480, {30, 40}};
      const int wrapAt = posix::LayOutBox(metrics, 0, 0).maxTextWidth;
      const auto lines =
          posix::WrapText(text, wrapAt, [&](std::size_t b, std::size_t e) {
            return static_cast<int>(e - b) * advance;
          });
      int widest = 0;
      for (const auto& line : lines)
        widest =
            std::max(widest, static_cast<int>(line.end - line.begin) * advance);
      const posix::BoxGeometry g =
          posix::LayOutBox(metrics, widest, static_cast<int>(lines.size()));
      EXPECT_GE(g.window.x, 0);
      EXPECT_GE(g.window.y, 0);
      EXPECT_LE(g.window.x + g.window.width, screenWidth);
      EXPECT_LE(g.window.y + g.window.height, 480);
      EXPECT_LE(g.text.x + g.text.width, g.window.width);
      EXPECT_LE(g.text.y + g.text.height, g.stripTop);
      ASSERT_EQ(g.buttons.size(), 2u);
      EXPECT_LT(g.buttons[0].x + g.buttons[0].width, g.buttons[1].x);
      EXPECT_LE(g.buttons[1].x + g.buttons[1].width, g.window.width);
      EXPECT_GE(g.buttons[0].y, g.stripTop);
      EXPECT_LE(g.buttons[0].y + g.buttons[0].height, g.window.height);
    }
  }
}

// Right-to-left text through fribidi (a test dependency), and as stored
// without it.
TEST(BoxLayout, RightToLeftTextInDrawingOrder) {
  const struct {
    std::u32string text;
    bool library;
    std::u32string shaped;  // in stored order
    std::u32string visual;
    bool rightToLeft;
  } cases[] = {
      {U"Yes", true, U"Yes", U"Yes", false},
      // Hebrew: reversed, a Latin name kept in its order
      {U"שלום עולם", true, U"שלום עולם", U"םלוע םולש", true},
      {U"שלום App?", true, U"שלום App?", U"?App םולש", true},
      // Arabic: seen initial, lam-alef ligature final, meem isolated
      {U"سلام", true, U"\uFEB3\uFEFC\uFEE1", U"\uFEE1\uFEFC\uFEB3", true},
      // an English text with an Arabic word keeps its direction
      {U"Install سلام now", true, U"Install \uFEB3\uFEFC\uFEE1 now",
       U"Install \uFEE1\uFEFC\uFEB3 now", false},
      // without fribidi: as stored
      {U"שלום", false, U"שלום", U"שלום", false},
  };
  for (const auto& c : cases) {
    const posix::BidiText bidi({c.text.begin(), c.text.end()}, c.library);
    const auto& shaped = bidi.Shaped();
    EXPECT_EQ(std::u32string(shaped.begin(), shaped.end()), c.shaped);
    const auto visual = bidi.Visual(0, shaped.size());
    EXPECT_EQ(std::u32string(visual.begin(), visual.end()), c.visual);
    EXPECT_EQ(bidi.RightToLeft(), c.rightToLeft);
  }
  // Each line on its own: the second line of a Hebrew text.
  const std::u32string text = U"אב גד";
  const posix::BidiText bidi({text.begin(), text.end()});
  const auto line = bidi.Visual(3, 5);
  EXPECT_EQ(std::u32string(line.begin(), line.end()), U"דג");
}

// A server on a free loopback port in the X11 range: answers each client's
// connection setup (read whole, with its authorisation) with what `reply`
// gives for it, or nothing when that is empty.
class LoopbackServer {
 public:
  using Reply = std::function<std::string(const std::string& request)>;
  explicit LoopbackServer(Reply reply) : reply_(std::move(reply)) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    for (display_ = 60; display_ < 200; ++display_) {
      sockaddr_in address = {};
      address.sin_family = AF_INET;
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      address.sin_port = htons(static_cast<uint16_t>(6000 + display_));
      if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        break;
    }
    listen(fd_, 4);
    thread_ = std::thread([this] {
      const int client = accept(fd_, nullptr, nullptr);
      if (client < 0) return;
      std::string request(12, '\0');
      if (recv(client, &request[0], 12, MSG_WAITALL) == 12) {
        std::uint16_t lengths[2];
        std::memcpy(lengths, request.data() + 6, sizeof lengths);
        const std::size_t rest =
            (lengths[0] + 3u) / 4 * 4 + (lengths[1] + 3u) / 4 * 4;
        std::string more(rest, '\0');
        if (rest == 0 || recv(client, &more[0], rest, MSG_WAITALL) ==
                             static_cast<ssize_t>(rest)) {
          const std::string answer = reply_(request + more);
          if (!answer.empty())
            send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
        }
      }
      char byte;
      recv(client, &byte, 1, 0);  // until the probe hangs up
      close(client);
    });
  }
  ~LoopbackServer() {
    shutdown(fd_, SHUT_RDWR);
    close(fd_);
    thread_.join();
  }
  int Number() const { return display_; }
  std::string Name() const { return "127.0.0.1:" + std::to_string(display_); }

 private:
  Reply reply_;
  int fd_;
  int display_;
  std::thread thread_;
};

// A refusal as an X server sends it, in this machine's byte order.
std::string Refusal(unsigned char status, const std::string& reason) {
  std::string reply = {static_cast<char>(status),
                       static_cast<char>(reason.size())};
  const std::uint16_t rest[] = {
      11, 0, static_cast<std::uint16_t>((reason.size() + 3) / 4)};
  reply.append(reinterpret_cast<const char*>(rest), sizeof rest);
  reply += reason;
  reply.append((4 - reason.size() % 4) % 4, '\0');
  return reply;
}

// An authority file entry of the local machine for display `number`.
std::string AuthorityEntry(const std::string& number, const std::string& name,
                           const std::string& data) {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  std::string entry = {'\x01', '\x00'};  // local
  for (const std::string& field : {std::string(host), number, name, data}) {
    entry += static_cast<char>(field.size() >> 8);
    entry += static_cast<char>(field.size() & 0xff);
    entry += field;
  }
  return entry;
}

TEST(DisplayProbe, OnlyAnXServerCounts) {
  using Clock = std::chrono::steady_clock;
  using posix::X11Answer;
  const std::string kRefusedReason =
      "Authorization required, but no authorization protocol specified";
  const struct {
    std::string reply;  // to any request
    X11Answer answer;
    std::string reason;
  } cases[] = {
      {"\x01", X11Answer::kAccepted, ""},
      {Refusal(0, kRefusedReason), X11Answer::kRefused, kRefusedReason},
      {Refusal(2, "XDM-AUTHORIZATION-2"), X11Answer::kRefused,
       "XDM-AUTHORIZATION-2"},
      {std::string(1, '\0'), X11Answer::kRefused, "refused"},  // cut short
      {"HTTP/1.1 400 Bad Request\r\n\r\n", X11Answer::kNone, ""},
      {"", X11Answer::kNone, ""},
  };
  for (const auto& c : cases) {
    LoopbackServer server([&](const std::string&) { return c.reply; });
    const auto start = Clock::now();
    const posix::X11Probe probe = posix::ProbeX11Display(server.Name(), 300);
    EXPECT_EQ(probe.answer, c.answer) << c.reply;
    EXPECT_EQ(probe.reason, c.reason) << c.reply;
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  }
  for (const char* name : {"", "nonsense", "127.0.0.1:x", "host::0",
                           "/nonexistent/socket:0", ":4999"})
    EXPECT_EQ(posix::ProbeX11Display(name, 300).answer, X11Answer::kNone)
        << name;
  EXPECT_FALSE(posix::ProbeWaylandDisplay("/nonexistent/wayland-0", 300));
}

// The probe sends the user's cookie for the display, as libX11 would: a
// server that demands it is not taken for one that refuses.
TEST(DisplayProbe, SendsTheCookieOfTheAuthorityFile) {
  const std::string cookie = "0123456789abcdef";
  const std::string path = testing::TempDir() + "pellomar-xauthority";
  for (const bool ofThatDisplay : {true, false}) {
    LoopbackServer server([&](const std::string& request) {
      return request.find("MIT-MAGIC-COOKIE-1") != std::string::npos &&
                     request.find(cookie) != std::string::npos
                 ? std::string("\x01")
                 : Refusal(0, "no cookie");
    });
    const std::string number =
        ofThatDisplay ? std::to_string(server.Number()) : "9999";
    std::ofstream(path, std::ios::binary)
        << AuthorityEntry("1", "MIT-MAGIC-COOKIE-1", "other-display")
        << AuthorityEntry(number, "MIT-MAGIC-COOKIE-1", cookie);
    setenv("XAUTHORITY", path.c_str(), 1);
    EXPECT_EQ(posix::ProbeX11Display(server.Name(), 300).answer,
              ofThatDisplay ? posix::X11Answer::kAccepted
                            : posix::X11Answer::kRefused);
    unsetenv("XAUTHORITY");
  }
  std::remove(path.c_str());
}

}  // namespace
