// fribidi 1.0's functions, loaded with dlopen and dlsym once per run, and
// the few of its constants they take, as its headers define them (its
// development files are not needed to build).
#include "platform/posix/bidi.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/posix/library_symbol.h"

namespace posix {

namespace {

using Char = std::uint32_t;
using Index = int;
using CharType = std::uint32_t;
using ParType = std::uint32_t;
using Level = signed char;
using JoiningType = std::uint8_t;
using BracketType = std::uint32_t;
using Flags = std::uint32_t;

constexpr ParType kDirectionFromText = 0x40;  // FRIBIDI_PAR_ON
constexpr Flags kMirroring = 0x1, kReorderMarks = 0x2, kArabicForms = 0x100,
                kArabicLigatures = 0x200;
// What the second letter of a ligature becomes: dropped here.
constexpr char32_t kLigatureFiller = 0xFEFF;

struct Fribidi {
  void (*get_bidi_types)(const Char*, Index, CharType*);
  void (*get_bracket_types)(const Char*, Index, const CharType*, BracketType*);
  Level (*get_par_embedding_levels_ex)(const CharType*, const BracketType*,
                                       Index, ParType*, Level*);
  void (*get_joining_types)(const Char*, Index, JoiningType*);
  void (*join_arabic)(const CharType*, Index, const Level*, JoiningType*);
  void (*shape)(Flags, const Level*, Index, JoiningType*, Char*);
  Level (*reorder_line)(Flags, const CharType*, Index, Index, ParType, Level*,
                        Char*, Index*);
};

const Fribidi* LoadFribidi() {
  static Fribidi f;
  static enum { kNotTried, kLoaded, kMissing } state = kNotTried;
  if (state == kNotTried) {
    state = kMissing;
    if (void* library = dlopen("libfribidi.so.0", RTLD_LAZY | RTLD_LOCAL)) {
      const bool all =
          ResolveSymbol(library, "fribidi_get_bidi_types", &f.get_bidi_types) &&
          ResolveSymbol(library, "fribidi_get_bracket_types",
                        &f.get_bracket_types) &&
          ResolveSymbol(library, "fribidi_get_par_embedding_levels_ex",
                        &f.get_par_embedding_levels_ex) &&
          ResolveSymbol(library, "fribidi_get_joining_types",
                        &f.get_joining_types) &&
          ResolveSymbol(library, "fribidi_join_arabic", &f.join_arabic) &&
          ResolveSymbol(library, "fribidi_shape", &f.shape) &&
          ResolveSymbol(library, "fribidi_reorder_line", &f.reorder_line);
      if (all) {
        state = kLoaded;
      } else {
        dlclose(library);
      }
    }
  }
  return state == kLoaded ? &f : nullptr;
}

}  // namespace

BidiText::BidiText(std::vector<char32_t> logical, bool useLibrary)
    : shaped_(std::move(logical)) {
  const Fribidi* f = useLibrary ? LoadFribidi() : nullptr;
  if (f == nullptr || shaped_.empty()) return;
  const auto size = static_cast<Index>(shaped_.size());
  std::vector<Char> text(shaped_.begin(), shaped_.end());
  types_.resize(shaped_.size());
  std::vector<BracketType> brackets(shaped_.size());
  levels_.resize(shaped_.size());
  std::vector<JoiningType> joining(shaped_.size());
  f->get_bidi_types(text.data(), size, types_.data());
  f->get_bracket_types(text.data(), size, types_.data(), brackets.data());
  direction_ = kDirectionFromText;
  if (f->get_par_embedding_levels_ex(types_.data(), brackets.data(), size,
                                     &direction_, levels_.data()) == 0) {
    levels_.clear();  // out of memory in fribidi: drawn as stored
    return;
  }
  f->get_joining_types(text.data(), size, joining.data());
  f->join_arabic(types_.data(), size, levels_.data(), joining.data());
  f->shape(kMirroring | kReorderMarks | kArabicForms | kArabicLigatures,
           levels_.data(), size, joining.data(), text.data());
  // Drop the fillers that ligatures leave, with their types and levels.
  shaped_.clear();
  std::size_t kept = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kLigatureFiller) continue;
    shaped_.push_back(text[i]);
    types_[kept] = types_[i];
    levels_[kept] = levels_[i];
    ++kept;
  }
  types_.resize(kept);
  levels_.resize(kept);
  rightToLeft_ = (direction_ & 1) != 0;
}

std::vector<char32_t> BidiText::Visual(std::size_t begin,
                                       std::size_t end) const {
  end = std::min(end, shaped_.size());
  begin = std::min(begin, end);
  const Fribidi* f = levels_.empty() || begin == end ? nullptr : LoadFribidi();
  if (f == nullptr)
    return std::vector<char32_t>(shaped_.begin() + static_cast<long>(begin),
                                 shaped_.begin() + static_cast<long>(end));
  std::vector<Char> text(shaped_.begin(), shaped_.end());
  std::vector<Level> levels = levels_;
  f->reorder_line(kReorderMarks, types_.data(), static_cast<Index>(end - begin),
                  static_cast<Index>(begin), direction_, levels.data(),
                  text.data(), nullptr);
  return std::vector<char32_t>(text.begin() + static_cast<long>(begin),
                               text.begin() + static_cast<long>(end));
}

}  // namespace posix
