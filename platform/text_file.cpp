// Text files. Reading accepts LF and CR LF and refuses pipes and devices;
// saving writes a temporary file without a name, then names and renames it
// over the target only when everything was written and synced.
#include "platform/text_file.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnex {
namespace {

// File names come from brain texts; one with a zero byte would silently name
// another file.
bool UsablePath(const std::string& path) { return !path.empty() && path.find('\0') == std::string::npos; }

}  // namespace

LineReader::~LineReader() { Close(); }

bool LineReader::Open(const std::string& path) {
  Close();
  buffer_.clear();
  pos_ = 0;
  eof_ = false;
  if (!UsablePath(path)) return false;
  // Devices and pipes could be read for ever; only files (and directories,
  // whose read fails at once) are opened.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) return false;
  struct stat st;
  if (::fstat(fd_, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) {
    Close();
    return false;
  }
  return true;
}

void LineReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

LineReader::Result LineReader::Next(std::string& line) {
  if (fd_ < 0) return Result::Error;
  for (;;) {
    std::size_t nl = buffer_.find('\n', pos_);
    if (nl != std::string::npos) {
      std::size_t end = nl;
      if (end > pos_ && buffer_[end - 1] == '\r') --end;
      line.assign(buffer_, pos_, end - pos_);
      pos_ = nl + 1;
      return Result::Line;
    }
    if (eof_) {
      if (pos_ >= buffer_.size()) return Result::End;
      line.assign(buffer_, pos_, std::string::npos);
      pos_ = buffer_.size();
      return Result::Line;
    }
    if (pos_ > 0) {
      buffer_.erase(0, pos_);
      pos_ = 0;
    }
    char chunk[65536];
    ssize_t n;
    do {
      n = ::read(fd_, chunk, sizeof chunk);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return Result::Error;
    if (n == 0)
      eof_ = true;
    else
      buffer_.append(chunk, static_cast<std::size_t>(n));
  }
}

bool ReadAllLines(const std::string& path, std::vector<std::string>& lines) {
  LineReader reader;
  if (!reader.Open(path)) return false;
  lines.clear();
  std::string line;
  for (;;) {
    switch (reader.Next(line)) {
      case LineReader::Result::Line: lines.push_back(line); break;
      case LineReader::Result::End: return true;
      case LineReader::Result::Error: return false;
    }
  }
}

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}


// The file a path names once every symbolic link is followed, whether or not
// that file exists yet: a save replaces the file a link points to and keeps
// the link, even when the link dangles. Empty (with `error` set) for a loop.
std::string FollowLinks(std::string path, std::string& error) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) {
      error = std::strerror(errno);
      return {};
    }
    target.resize(static_cast<std::size_t>(n));
    if (!target.starts_with('/')) {
      std::size_t slash = path.rfind('/');
      if (slash != std::string::npos) target = path.substr(0, slash + 1) + target;
    }
    path = std::move(target);
  }
  error = std::strerror(ELOOP);
  return {};
}

// Splits a path into its folder ("." when none) and its last name.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  std::size_t slash = path.rfind('/');
  folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  name = slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr std::string_view kTempInfix = ".tmp-";
constexpr std::size_t kTempSuffixLength = 6;

bool IsTempNameOf(std::string_view entry, std::string_view name) {
  if (entry.size() != name.size() + kTempInfix.size() + kTempSuffixLength) return false;
  if (!entry.starts_with(name) || entry.substr(name.size(), kTempInfix.size()) != kTempInfix) return false;
  for (char c : entry.substr(name.size() + kTempInfix.size()))
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

// Removes temporary files an interrupted save of the same target left
// behind. A save in progress holds a lock on its temporary file, so only
// the leftovers of saves that died are removed.
void RemoveLeftovers(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (struct dirent* e = ::readdir(dir)) {
    if (!IsTempNameOf(e->d_name, name)) continue;
    const std::string path = folder + "/" + e->d_name;
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    ::close(fd);
  }
  ::closedir(dir);
}

// A temporary file in `folder`, locked, that has no name yet where the
// system allows it (a crash then leaves nothing behind); otherwise one
// named after the target. -1 with errno set on failure.
int CreateTemporary(const std::string& folder, const std::string& target, mode_t mode, std::string& named) {
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd < 0) {
    std::string tmp = target + std::string(kTempInfix) + std::string(kTempSuffixLength, 'X');
    std::vector<char> buf(tmp.begin(), tmp.end());
    buf.push_back('\0');
    fd = ::mkstemp(buf.data());
    if (fd < 0) return -1;
    named = buf.data();
  }
  ::flock(fd, LOCK_EX);
  ::fchmod(fd, mode);
  return fd;
}

// Gives an unnamed temporary file a name beside the target, so it can be
// renamed over the target.
bool NameTemporary(int fd, const std::string& target, std::string& named) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  const std::string fdPath = "/proc/self/fd/" + std::to_string(fd);
  unsigned seed = static_cast<unsigned>(::getpid()) ^ static_cast<unsigned>(fd) * 2654435761u;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = target + std::string(kTempInfix);
    for (std::size_t i = 0; i < kTempSuffixLength; ++i) {
      seed = seed * 1103515245u + 12345u + static_cast<unsigned>(attempt);
      name.push_back(kLetters[(seed >> 16) % (sizeof kLetters - 1)]);
    }
    if (::linkat(AT_FDCWD, fdPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      named = std::move(name);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

}  // namespace

std::string WriteLinesAtomically(const std::string& requested, const std::vector<std::string>& lines) {
  if (!UsablePath(requested)) return "Could not write " + requested + ": invalid file name";
  std::string error;
  const std::string path = FollowLinks(requested, error);
  if (path.empty()) return "Could not write " + requested + ": " + error;
  auto fail = [&](int err) { return "Could not write " + path + ": " + std::strerror(err); };

  // Keep the permissions (and, where allowed, the owner) of the file being
  // replaced; refuse to replace what is not a plain file or what its owner
  // protected against writing, as an editor would, even when running as root.
  struct stat st;
  const bool exists = ::stat(path.c_str(), &st) == 0;
  mode_t mode = 0644;
  if (exists) {
    if (S_ISDIR(st.st_mode)) return fail(EISDIR);
    if (!S_ISREG(st.st_mode)) return "Could not write " + path + ": not a regular file";
    if ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0)
      return "Could not write " + path + ": the file is write-protected";
    mode = st.st_mode & 07777;
  }

  std::string folder, name;
  SplitPath(path, folder, name);
  RemoveLeftovers(folder, name);
  std::string named;  // the temporary file's name, once it has one
  int fd = CreateTemporary(folder, path, mode, named);
  if (fd < 0) return fail(errno);
  if (exists && ::geteuid() == 0) {
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
      // Not fatal: the file keeps its content; only the owner changes.
    }
  }

  std::string block;
  bool ok = true;
  for (const auto& l : lines) {
    block += l;
    block += "\r\n";
    if (block.size() >= (1u << 16)) {
      ok = ok && WriteAll(fd, block.data(), block.size());
      block.clear();
    }
  }
  ok = ok && WriteAll(fd, block.data(), block.size());
  int err = ok ? 0 : errno;
  if (ok && ::fsync(fd) != 0) ok = false, err = errno;
  if (ok && named.empty() && !NameTemporary(fd, path, named)) ok = false, err = errno;
  if (ok && ::rename(named.c_str(), path.c_str()) != 0) ok = false, err = errno;
  if (!ok && !named.empty()) ::unlink(named.c_str());
  // Closing releases the lock only now, when the name is gone.
  if (::close(fd) != 0 && ok) ok = false, err = errno;
  return ok ? std::string() : fail(err);
}

bool AppendLine(const std::string& path, const std::string& line) {
  if (!UsablePath(path)) return false;
  // Only plain files are appended to. A named pipe without a reader would
  // block the open for ever, and a device could swallow or block the write:
  // open without blocking, then look at what was opened.
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  std::string data = line + "\r\n";
  bool ok = WriteAll(fd, data.data(), data.size());
  return (::close(fd) == 0) && ok;
}

bool IsRegularFile(const std::string& path) {
  if (!UsablePath(path)) return false;
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IdentifyFile(const std::string& path, FileIdentity& id) {
  if (!UsablePath(path)) return false;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  id.device = st.st_dev;
  id.inode = st.st_ino;
  return true;
}

}  // namespace varnex
