// Types shared by every layer: the 16-bit result code, the engine's failure exception and the
// re-entrant lock that guards every container.
#pragma once

#include <cstdint>
#include <exception>
#include <mutex>

// Result of an operation: 0 success, 1 end of a sequential read, negative values are failures.
using VResult = int16_t;

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
class VCritical {
 public:
  void Enter() { mutex_.lock(); }
  void Leave() { mutex_.unlock(); }

 private:
  std::recursive_mutex mutex_;
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
