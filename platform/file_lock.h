// A lock on a file held for as long as a process needs something to itself
// (for example, the one process that may write a learnt brain). The system
// drops it when the process ends however it ends, so a crash never leaves a
// stale lock behind.
#pragma once

#include <string>

namespace varnex {

class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Creates `path` when there is none and takes an exclusive lock on it
  // without waiting. False, with the reason in `error`, when another
  // holder has it or the file cannot be made.
  bool TryLock(const std::string& path, std::string& error);
  bool Held() const { return fd_ >= 0; }
  void Unlock();

 private:
  int fd_ = -1;
};

}  // namespace varnex
