// Counting pieces of text, for the tests that read what was sent or answered.
#ifndef VANTREL_TESTS_TEXT_COUNT_H_
#define VANTREL_TESTS_TEXT_COUNT_H_

#include <cstddef>
#include <string_view>

namespace vantrel::testing {

// Number of times `piece` occurs in `text`, without overlaps.
inline long CountOf(std::string_view text, std::string_view piece) {
  long count = 0;
  for (std::size_t at = text.find(piece); at != std::string_view::npos;
       at = text.find(piece, at + piece.size())) {
    ++count;
  }
  return count;
}

}  // namespace vantrel::testing

#endif  // VANTREL_TESTS_TEXT_COUNT_H_
