// A Source over a text that hands it out in pieces of at most `piece` bytes,
// so that tests can check that no answer depends on where a read ends.
#pragma once

#include <cstring>
#include <string>

#include "portable/ini/ini_reader.h"

class PieceSource final : public ini::Source {
 public:
  PieceSource(const std::string& text, std::size_t piece)
      : text_(text), piece_(piece) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    std::size_t n = text_.size() - at_;
    if (n > capacity) n = capacity;
    if (n > piece_) n = piece_;
    std::memcpy(buffer, text_.data() + at_, n);
    at_ += n;
    return n;
  }
  bool Rewind() override {
    at_ = 0;
    return true;
  }

 private:
  const std::string& text_;
  std::size_t piece_;
  std::size_t at_ = 0;
};
