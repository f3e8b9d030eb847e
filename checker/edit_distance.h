// The nearest known name to a mistyped one, for the checker's "did you mean"
// hints: edit distance over bytes, with ASCII letter case ignored as the
// profile functions ignore it. Left out: transpositions (two edits here) and
// any notion of characters beyond bytes.
#pragma once

#include <cstddef>
#include <string>

namespace check {

// How many bytes must be inserted, removed or replaced to turn `a` into `b`.
std::size_t EditDistance(const std::string& a, const std::string& b);

// Of the `count` names at `names`, the one nearest `word`: the first of those
// equally near. Empty when there are none.
std::string NearestName(const std::string& word, const char* const* names,
                        std::size_t count);

}  // namespace check
