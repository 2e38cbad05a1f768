#pragma once
// Whole-file reading, and files that appear under their name only when complete. Every writer
// of the program (projects, .cdg streams, .bin images) goes through Atomic_File, so a crash, a
// full disk or any other failure leaves an older file of that name as it was.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lyricanvas {

/// The bytes of a file; std::nullopt with the system's reason when it cannot be read.
std::optional<std::string> Read_Whole_File(const std::string& path, std::string* reason = nullptr);

/// Why a file could not be written: what failed ("Cannot create", "Cannot write",
/// "Cannot replace") and the system's error number.
struct File_Error {
  std::string what;
  int number = 0;
};

/// The bytes go through a large buffer into a temporary file in the same directory, which is
/// renamed over the target on Commit (keeping the permissions of the file it replaces). Until
/// then an older file of that name stays as it was; a failed or abandoned write removes the
/// temporary file.
class Atomic_File {
 public:
  static constexpr std::size_t Buffer_Size = 1 << 20;

  /// With sync_to_disk the data is forced to the disk before the rename.
  explicit Atomic_File(std::string path, bool sync_to_disk = false);
  ~Atomic_File();
  Atomic_File(const Atomic_File&) = delete;
  Atomic_File& operator=(const Atomic_File&) = delete;

  void Append(std::span<const std::uint8_t> bytes);
  void Append(std::string_view bytes);
  /// Flushes, closes and renames into place; false (and error set) when any step failed.
  bool Commit(File_Error& error);

 private:
  void Open();
  void Flush();
  void Write_All(std::span<const std::uint8_t> bytes);
  void Fail(const char* what, int number);
  void Abandon();

  std::string path_;
  std::string temp_;
  bool sync_;
  int fd_ = -1;
  std::vector<std::uint8_t> buffer_;
  File_Error error_;
};

}  // namespace lyricanvas
