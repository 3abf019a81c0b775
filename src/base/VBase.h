// Types shared by every layer: the 16-bit result code, the engine's failure exception and the
// re-entrant lock that guards every container.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <mutex>

// Result of an operation: 0 success, 1 end of a sequential read, negative values are failures.
// A 16-bit code that converts to and from int16_t freely; being a [[nodiscard]] type, a call whose
// result is dropped fails to build, so a deliberate drop must say so with a (void) cast.
class [[nodiscard]] VResult {
 public:
  constexpr VResult() = default;
  constexpr VResult(int16_t value) : value_(value) {}    // NOLINT(google-explicit-constructor)
  constexpr operator int16_t() const { return value_; }  // NOLINT(google-explicit-constructor)

 private:
  int16_t value_ = 0;
};

constexpr VResult kVOk = 0;
constexpr VResult kVEnd = 1;

// The engine's failure exception. It carries one integer (-1 for exhausted memory and fatal
// storage errors, -10 for a write to a read-only stream). It is raised only for those cases and is
// never caught inside the engine.
class VFailure : public std::exception {
 public:
  explicit VFailure(int code) : code_(code) {}
  int Code() const { return code_; }
  const char* what() const noexcept override { return "Varnex failure"; }

 private:
  int code_;
};

// A re-entrant lock. Every container takes its own on every operation; composite operations nest.
// A nested entry by the owning thread only counts; the mutex is taken by the outermost entry, so
// the common single-threaded case costs one uncontended lock per operation.
class VCritical {
 public:
  void Enter() {
    const void* self = ThreadTag();
    if (owner_.load(std::memory_order_relaxed) == self) {
      ++depth_;
      return;
    }
    mutex_.lock();
    owner_.store(self, std::memory_order_relaxed);
    depth_ = 1;
  }
  void Leave() {
    if (--depth_ > 0) return;
    owner_.store(nullptr, std::memory_order_relaxed);
    mutex_.unlock();
  }

 private:
  // A value that differs between threads that live at the same time.
  static const void* ThreadTag() {
    static thread_local const char tag = 0;
    return &tag;
  }

  std::mutex mutex_;
  // The owning thread's tag; only that thread ever finds its own tag here.
  std::atomic<const void*> owner_{nullptr};
  int32_t depth_ = 0;
};

// Holds a VCritical for the lifetime of a scope.
class VCriticalLock {
 public:
  explicit VCriticalLock(VCritical& critical) : critical_(critical) { critical_.Enter(); }
  ~VCriticalLock() { critical_.Leave(); }
  VCriticalLock(const VCriticalLock&) = delete;
  VCriticalLock& operator=(const VCriticalLock&) = delete;

 private:
  VCritical& critical_;
};
