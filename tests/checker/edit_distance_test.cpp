// The nearest-name hint: edits counted over bytes with ASCII case ignored,
// and the first of equally near names chosen.
#include "checker/edit_distance.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

TEST(EditDistance, CountsInsertionsRemovalsAndReplacements) {
  const struct {
    const char* a;
    const char* b;
    std::size_t distance;
  } rows[] = {
      {"", "", 0},
      {"", "Verbose", 7},
      {"SetupName", "setupname", 0},  // case is no edit
      {"SetupNam", "SetupName", 1},
      {"SetupNmae", "SetupName", 2},  // a swap is two edits
      {"kitten", "sitting", 3},
      {"\xc3\xa9", "e", 2},  // é is two bytes, neither an e
  };
  for (const auto& row : rows) {
    EXPECT_EQ(check::EditDistance(row.a, row.b), row.distance)
        << row.a << " / " << row.b;
    EXPECT_EQ(check::EditDistance(row.b, row.a), row.distance)
        << row.b << " / " << row.a;
  }
}

TEST(EditDistance, NearestNameTakesTheFirstOfTheNearest) {
  const char* const names[] = {"AppName", "SetupName", "SetupOnly"};
  const struct {
    const char* word;
    const char* nearest;
  } rows[] = {
      {"setupnme", "SetupName"},
      {"SetupX", "SetupName"},  // as near SetupOnly: the first wins
      {"", "AppName"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(check::NearestName(row.word, names, std::size(names)),
              row.nearest)
        << row.word;
  EXPECT_EQ(check::NearestName("x", names, 0), "");
}

}  // namespace
