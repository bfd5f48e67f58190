#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace varnex {

FileLock::~FileLock() { Unlock(); }

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Unlock();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

bool FileLock::TryLock(const std::string& path, std::string& error) {
  Unlock();
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  // flock, not fcntl: an fcntl lock is dropped when any descriptor of the
  // file in this process is closed, which a reader elsewhere could do.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int e = errno;
    ::close(fd);
    error = e == EWOULDBLOCK ? path + ": held by another process" : path + ": " + std::strerror(e);
    return false;
  }
  fd_ = fd;
  return true;
}

void FileLock::Unlock() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace varnex
