// How many files the readers ahead of every run of this process may hold open at once: what the
// process's descriptor limit leaves beside the descriptors open when it is first asked, less a
// reserve for what each run opens at an entry's turn. Reading ahead must never fail a file: a
// reader that finds no room leaves its file to that turn instead of waiting for one.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace kelvane {

class DescriptorBudget {
 public:
  // The one budget of the process, made at the first call and never destroyed (readers that a
  // hung read keeps may still give back room while the program ends).
  static DescriptorBudget& Process();

  explicit DescriptorBudget(int room) : room_(room) {}

  // The room for one open file, given back when it goes.
  class Hold {
   public:
    Hold() = default;
    explicit Hold(DescriptorBudget* budget) : budget_(budget) {}
    Hold(Hold&& other) noexcept : budget_(std::exchange(other.budget_, nullptr)) {}
    Hold& operator=(Hold&& other) noexcept {
      if (this != &other) {
        Release();
        budget_ = std::exchange(other.budget_, nullptr);
      }
      return *this;
    }
    ~Hold() { Release(); }
    explicit operator bool() const { return budget_ != nullptr; }

   private:
    void Release();
    DescriptorBudget* budget_ = nullptr;
  };

  // A Hold when there is room, else an empty one.
  Hold TryTake();
  // The limit was met at an entry's turn all the same (something else holds descriptors): less
  // room from now on, down to none.
  void Shrink();
  // Waits up to timeout for room to be given back; false at once when no reader holds any.
  bool AwaitRelease(std::chrono::milliseconds timeout);
  int Held() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable released_;
  int room_;
  int held_ = 0;
};

// Whether a failed open is the process's or the system's descriptor limit (EMFILE, ENFILE).
bool IsOutOfDescriptors(int error);

}  // namespace kelvane
