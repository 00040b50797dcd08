// A failure that ends kelvane-cli: the message to print and the exit status it stands for.
#pragma once

#include <stdexcept>
#include <string>

namespace kelvane::cli {

// The exit statuses; the failures of a check add up (1 + 2 + 4). A run stopped by a signal
// exits 128 + its number (InterruptStatus).
inline constexpr int kExitValid = 0;
inline constexpr int kExitMismatch = 1;
inline constexpr int kExitUnreadable = 2;
inline constexpr int kExitExtra = 4;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitBadProject = 65;
inline constexpr int kExitInternal = 70;
inline constexpr int kExitCannotWrite = 74;

class CliError : public std::runtime_error {
 public:
  CliError(int status, const std::string& message) : std::runtime_error(message), status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

// Bad arguments: the message is followed by a hint at --help.
class UsageError : public CliError {
 public:
  explicit UsageError(const std::string& message) : CliError(kExitUsage, message) {}
};

}  // namespace kelvane::cli
