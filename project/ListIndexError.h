// The string list's index error: raised when an entry or a value entry is read past the end.
#pragma once

#include <stdexcept>
#include <string>

namespace kelvane {

class ListIndexError : public std::out_of_range {
 public:
  explicit ListIndexError(long long index)
      : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")") {}
};

}  // namespace kelvane
