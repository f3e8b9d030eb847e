// Edit distance with one row of the table kept at a time.
#include "checker/edit_distance.h"

#include <algorithm>
#include <vector>

#include "portable/ascii.h"

namespace check {

std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t up = row[j];
      const bool same = ascii::Lower(static_cast<unsigned char>(a[i - 1])) ==
                        ascii::Lower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + !same});
      diagonal = up;
    }
  }
  return row[b.size()];
}

std::string NearestName(const std::string& word, const char* const* names,
                        std::size_t count) {
  std::string best;
  std::size_t bestDistance = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t distance = EditDistance(word, names[i]);
    if (i == 0 || distance < bestDistance) {
      best = names[i];
      bestDistance = distance;
    }
  }
  return best;
}

}  // namespace check
