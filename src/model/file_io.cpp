#include "model/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace lyricanvas {

std::optional<std::string> Read_Whole_File(const std::string& path, std::string* reason) {
  std::error_code code;
  if (std::filesystem::is_directory(path, code)) {
    if (reason) *reason = "it is a directory";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (reason) *reason = std::strerror(errno);
    return std::nullopt;
  }
  std::ostringstream out;
  out << in.rdbuf();
  if (in.bad()) {
    if (reason) *reason = "it could not be read to the end";
    return std::nullopt;
  }
  return std::move(out).str();
}

Atomic_File::Atomic_File(std::string path, bool sync_to_disk)
    : path_(std::move(path)), sync_(sync_to_disk) {
  Open();
}

Atomic_File::~Atomic_File() { Abandon(); }

void Atomic_File::Open() {
  std::filesystem::path target(path_);
  std::filesystem::path dir = target.parent_path();
  std::random_device random;
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    std::string name = "." + target.filename().string() + "." + std::to_string(random()) + ".tmp";
    temp_ = (dir / name).string();
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    error_ = {"Cannot create", errno};
    temp_.clear();
    return;
  }
  buffer_.reserve(Buffer_Size);
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

bool Atomic_File::Commit(File_Error& error) {
  Flush();
  if (fd_ >= 0) {
    // The new file keeps the permissions of the one it replaces.
    struct stat old {};
    if (::stat(path_.c_str(), &old) == 0 && ::fchmod(fd_, old.st_mode & 07777) != 0)
      Fail("Cannot write", errno);
  }
  if (fd_ >= 0 && sync_ && ::fsync(fd_) != 0) Fail("Cannot write", errno);
  if (fd_ >= 0 && ::close(fd_) != 0) Fail("Cannot write", errno);
  fd_ = -1;
  if (error_.number == 0 && std::rename(temp_.c_str(), path_.c_str()) != 0)
    Fail("Cannot replace", errno);
  if (error_.number != 0) {
    Abandon();
    error = error_;
    return false;
  }
  temp_.clear();
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

void Atomic_File::Fail(const char* what, int number) {
  if (error_.number == 0) error_ = {what, number};
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void Atomic_File::Abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

}  // namespace lyricanvas
