#include "model/file_io.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>

namespace lyricanvas {

namespace {

std::string Kind_Of_Mode(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  return S_ISREG(mode) ? "" : "not a file";
}

std::string Not_Regular(mode_t mode) { return "it is " + Kind_Of_Mode(mode) + ", not a regular file"; }

std::string Megabytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1 << 20));
  return text;
}

std::string Too_Long(std::uint64_t size, std::uint64_t limit) {
  return "it is " + Megabytes(size) + " (" + std::to_string(size) + " bytes), more than the " +
         Megabytes(limit) + " such a file may have";
}

// Files to remove on a signal ------------------------------------------------------------------

// The handler may only use what is safe in a signal handler: fixed slots, atomics, unlink.
constexpr std::size_t Cleanup_Slots = 16;
struct Cleanup_Slot {
  std::atomic<bool> used{false};
  char path[PATH_MAX]{};
};
std::array<Cleanup_Slot, Cleanup_Slots> cleanup_slots;
std::mutex cleanup_mutex;

void Remove_And_Resignal(int signal_number) {
  for (Cleanup_Slot& slot : cleanup_slots)
    if (slot.used.load(std::memory_order_acquire)) ::unlink(slot.path);
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

void Install_Cleanup_Handlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      struct sigaction old {};
      if (::sigaction(signal_number, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = &Remove_And_Resignal;
      sigemptyset(&action.sa_mask);
      ::sigaction(signal_number, &action, nullptr);
    }
  });
}

/// Forces the folder's entry of a renamed file to the disk, so the new name survives a crash.
void Sync_Folder(const std::string& path) {
  std::string dir = std::filesystem::path(path).parent_path().string();
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::string Random_Name(const std::string& target) {
  static std::random_device random;
  return "." + std::filesystem::path(target).filename().string() + "." +
         std::to_string(random()) + ".tmp";
}

}  // namespace

void Remove_On_Signal(const std::string& path) {
  Install_Cleanup_Handlers();
  std::lock_guard lock(cleanup_mutex);
  for (Cleanup_Slot& slot : cleanup_slots) {
    if (slot.used.load() || path.size() >= sizeof slot.path) continue;
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    slot.used.store(true, std::memory_order_release);
    return;
  }
}

void Keep_On_Signal(const std::string& path) {
  std::lock_guard lock(cleanup_mutex);
  for (Cleanup_Slot& slot : cleanup_slots)
    if (slot.used.load() && path == slot.path) return slot.used.store(false);
}

// Reading --------------------------------------------------------------------------------------

int Open_Input_File(const std::string& path, std::uint64_t max_bytes, std::string& reason,
                    std::uint64_t* size) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    reason = std::strerror(errno);
    return -1;
  }
  // Checked before opening, since opening a FIFO waits for a writer; checked again after, in
  // case the name was changed in between.
  int fd = S_ISREG(info.st_mode) ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY) : -1;
  if (fd >= 0 && ::fstat(fd, &info) != 0) info.st_mode = 0;
  if (!S_ISREG(info.st_mode) || fd < 0) {
    reason = S_ISREG(info.st_mode) ? std::strerror(errno) : Not_Regular(info.st_mode);
    if (fd >= 0) ::close(fd);
    return -1;
  }
  std::uint64_t length = static_cast<std::uint64_t>(info.st_size);
  if (length > max_bytes) {
    reason = Too_Long(length, max_bytes);
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, 0);
  if (size) *size = length;
  return fd;
}

std::optional<std::string> Read_Whole_File(const std::string& path, std::string* reason,
                                           std::uint64_t max_bytes) {
  std::string why;
  std::uint64_t size = 0;
  int fd = Open_Input_File(path, max_bytes, why, &size);
  std::string bytes;
  if (fd >= 0) {
    // Read to the end, not to the length of a moment ago, but never past the limit.
    bytes.resize(static_cast<std::size_t>(std::min(size, max_bytes)) + 1);
    std::size_t got = 0;
    while (got < bytes.size()) {
      ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) why = std::strerror(errno);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
      if (got == bytes.size() && got <= max_bytes) bytes.resize(std::min<std::uint64_t>(got * 2, max_bytes + 1));
    }
    ::close(fd);
    if (why.empty() && got > max_bytes) why = Too_Long(got, max_bytes);
    bytes.resize(got);
  }
  if (!why.empty()) {
    if (reason) *reason = why;
    return std::nullopt;
  }
  return bytes;
}

std::string Special_File_Kind(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? Kind_Of_Mode(info.st_mode) : std::string();
}

bool Same_File(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::string Link_Target(const std::string& path) {
  std::filesystem::path target(path);
  char link[PATH_MAX];
  for (int hops = 0; hops < 40; ++hops) {
    ssize_t n = ::readlink(target.c_str(), link, sizeof link);
    if (n < 0 || static_cast<std::size_t>(n) == sizeof link) break;
    std::filesystem::path next(std::string(link, static_cast<std::size_t>(n)));
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target.string();
}

// Writing --------------------------------------------------------------------------------------

Atomic_File::Atomic_File(std::string path, bool sync_to_disk)
    : path_(std::move(path)), sync_(sync_to_disk) {
  Open();
}

Atomic_File::~Atomic_File() { Abandon(); }

void Atomic_File::Open() {
  buffer_.reserve(Buffer_Size);
  if (path_ == Standard_Output) {
    to_stdout_ = true;
    fd_ = STDOUT_FILENO;
    return;
  }
  path_ = Link_Target(path_);
  if (std::string kind = Special_File_Kind(path_); !kind.empty())
    return Fail("Cannot replace", kind == "a directory" ? EISDIR : EINVAL,
                "it is " + kind + ", not a regular file");
  std::string dir = std::filesystem::path(path_).parent_path().string();
  if (dir.empty()) dir = ".";
  if (!Open_Unnamed(dir)) Open_Named(dir);
}

bool Atomic_File::Open_Unnamed(const std::string& dir) {
  // The unnamed file is linked into place through /proc; without it the named way is taken.
  if (::access("/proc/self/fd", X_OK) != 0) return false;
  fd_ = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  unnamed_ = fd_ >= 0;
  return unnamed_;
}

void Atomic_File::Open_Named(const std::string& dir) {
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temp_ = (std::filesystem::path(dir) / Random_Name(path_)).string();
    Remove_On_Signal(temp_);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    int number = errno;
    if (fd_ < 0) Keep_On_Signal(temp_);
    if (fd_ < 0 && number != EEXIST) {
      temp_.clear();
      return Fail("Cannot create", number);
    }
  }
}

void Atomic_File::Append(std::span<const std::uint8_t> bytes) {
  if (fd_ < 0) return;
  if (buffer_.size() + bytes.size() > Buffer_Size) Flush();
  if (bytes.size() > Buffer_Size) return Write_All(bytes);
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

void Atomic_File::Append(std::string_view bytes) {
  Append(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

bool Atomic_File::Link_Into_Place() {
  // The unnamed file gets a hidden name beside the target for as long as a rename takes.
  std::string dir = std::filesystem::path(path_).parent_path().string();
  std::string fd_path = "/proc/self/fd/" + std::to_string(fd_);
  for (int attempt = 0; attempt < 100 && temp_.empty(); ++attempt) {
    temp_ = (std::filesystem::path(dir.empty() ? "." : dir) / Random_Name(path_)).string();
    Remove_On_Signal(temp_);
    if (::linkat(AT_FDCWD, fd_path.c_str(), AT_FDCWD, temp_.c_str(), AT_SYMLINK_FOLLOW) == 0)
      return true;
    int number = errno;
    Keep_On_Signal(temp_);
    temp_.clear();
    if (number != EEXIST) {
      Fail("Cannot create", number);
      return false;
    }
  }
  return !temp_.empty();
}

bool Atomic_File::Commit(File_Error& error) {
  Flush();
  if (to_stdout_) {
    fd_ = -1;
    error = error_;
    return error_.number == 0;
  }
  if (fd_ >= 0) {
    // The new file keeps the permissions of the one it replaces.
    struct stat old {};
    if (::stat(path_.c_str(), &old) == 0 && ::fchmod(fd_, old.st_mode & 07777) != 0)
      Fail("Cannot write", errno);
  }
  if (fd_ >= 0 && sync_ && ::fsync(fd_) != 0) Fail("Cannot write", errno);
  if (fd_ >= 0 && unnamed_) Link_Into_Place();
  if (fd_ >= 0 && ::close(fd_) != 0) Fail("Cannot write", errno);
  fd_ = -1;
  if (error_.number == 0 && std::rename(temp_.c_str(), path_.c_str()) != 0)
    Fail("Cannot replace", errno);
  if (error_.number != 0) {
    Abandon();
    error = error_;
    return false;
  }
  Keep_On_Signal(temp_);
  temp_.clear();
  if (sync_) Sync_Folder(path_);
  return true;
}

void Atomic_File::Flush() {
  Write_All(buffer_);
  buffer_.clear();
}

void Atomic_File::Write_All(std::span<const std::uint8_t> bytes) {
  while (fd_ >= 0 && !bytes.empty()) {
    ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return Fail("Cannot write", written < 0 ? errno : EIO);
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
}

void Atomic_File::Fail(const char* what, int number, std::string reason) {
  if (reason.empty()) reason = std::strerror(number);
  if (number == ENOSPC || number == EDQUOT) reason = "the disk is full (" + reason + ")";
  if (error_.number == 0) error_ = {what, number, std::move(reason)};
  if (fd_ >= 0 && !to_stdout_) ::close(fd_);
  fd_ = -1;
}

void Atomic_File::Abandon() {
  if (fd_ >= 0 && !to_stdout_) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    Keep_On_Signal(temp_);
  }
  temp_.clear();
}

}  // namespace lyricanvas
