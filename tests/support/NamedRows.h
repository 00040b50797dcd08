// Table-driven tests whose rows carry a `name`: it names each test and stands for the row in a
// failure message.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace kelvane::test {

// For INSTANTIATE_TEST_SUITE_P: the row's name as the suffix of the test's name.
struct RowName {
  template <typename Row>
  std::string operator()(const testing::TestParamInfo<Row>& info) const {
    return std::string(info.param.name);
  }
};

// A row prints as its name. GoogleTest looks PrintTo up in the row's own namespace, so a test
// file says `using kelvane::test::PrintTo;` where it declares its rows.
template <typename Row>
requires requires(const Row& row, std::ostream& out) {
  out << row.name;
}
void PrintTo(const Row& row, std::ostream* out) {
  *out << row.name;
}

}  // namespace kelvane::test
