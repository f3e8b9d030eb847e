// The checker's warnings about a launcher folder: mistakes that the launcher
// itself passes over in silence.
#pragma once

#include <string>
#include <vector>

namespace check {

struct Warning {
  std::string file;  // as shown: "pellomar.ini", or a path
  int line;          // 0 when it concerns the whole file
  std::string text;
};

// `language` is the language code being checked (its section should exist).
std::vector<Warning> Lint(const std::string& language);

// The known key nearest to `key`, for suggestions.
std::string NearestKey(const std::string& key,
                       const std::vector<std::string>& known);

}  // namespace check
