#pragma once
// Reading input files, and writing files that appear under their name only when complete. Every
// writer of the program (projects, .cdg streams, .bin images, PNG frames) goes through
// Atomic_File, so a crash, a kill, a full disk or any other failure leaves an older file of that
// name as it was and no other file behind.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lyricanvas {

/// The largest project, lyrics or MIDI file the program reads; anything longer is not one.
constexpr std::uint64_t Max_Document_Bytes = std::uint64_t{64} << 20;
/// The largest file read whole by default: a full CD image of 80 minutes fits.
constexpr std::uint64_t Max_Whole_File_Bytes = std::uint64_t{1} << 30;

/// The output name that means standard output.
inline constexpr std::string_view Standard_Output = "-";

/// Opens a file for reading when it is a regular file of at most max_bytes: the descriptor
/// (to be closed by the caller), or -1 with the reason. Directories, devices, FIFOs and sockets
/// are refused without opening them, so a FIFO never blocks. size receives the file's length.
int Open_Input_File(const std::string& path, std::uint64_t max_bytes, std::string& reason,
                    std::uint64_t* size = nullptr);

/// The bytes of a regular file of at most max_bytes; std::nullopt with the reason otherwise
/// (the system's reason, "it is a directory, not a regular file", or its size and the limit).
/// Readers of projects, lyrics and MIDI files pass Max_Document_Bytes.
std::optional<std::string> Read_Whole_File(const std::string& path, std::string* reason = nullptr,
                                           std::uint64_t max_bytes = Max_Whole_File_Bytes);

/// What a path names, when it is not a regular file ("a directory", "a FIFO", ...); empty for a
/// regular file or a path that does not exist. Symbolic links are followed.
std::string Special_File_Kind(const std::string& path);

/// Whether two paths name the same existing file (after links).
bool Same_File(const std::string& a, const std::string& b);

/// The file a path finally names after following its symbolic links (which may not exist yet).
std::string Link_Target(const std::string& path);

/// Why a file could not be written: what failed ("Cannot create", "Cannot write",
/// "Cannot replace"), the system's error number and the reason in words.
struct File_Error {
  std::string what;
  int number = 0;
  std::string reason;  ///< strerror(number), or what is wrong with the target
};

/// The bytes go through a large buffer into a file without a name in the target's folder
/// (or, where the file system has no such files, a hidden temporary file that SIGINT, SIGTERM and
/// SIGHUP remove) and take the target's place on Commit, keeping the permissions of the file they
/// replace. Until then an older file of that name stays as it was. A symbolic link as target is
/// followed and the file it names replaced; a directory, device or FIFO is refused. The target
/// Standard_Output writes to standard output.
class Atomic_File {
 public:
  static constexpr std::size_t Buffer_Size = 1 << 20;

  /// With sync_to_disk the data is forced to the disk before it takes its place, and the new
  /// name after.
  explicit Atomic_File(std::string path, bool sync_to_disk = false);
  ~Atomic_File();
  Atomic_File(const Atomic_File&) = delete;
  Atomic_File& operator=(const Atomic_File&) = delete;

  void Append(std::span<const std::uint8_t> bytes);
  void Append(std::string_view bytes);
  /// Flushes and puts the file in place; false (and error set) when any step failed.
  bool Commit(File_Error& error);

 private:
  void Open();
  bool Open_Unnamed(const std::string& dir);
  void Open_Named(const std::string& dir);
  bool Link_Into_Place();
  void Flush();
  void Write_All(std::span<const std::uint8_t> bytes);
  void Fail(const char* what, int number, std::string reason = {});
  void Abandon();

  std::string path_;  ///< the file to replace, after links
  std::string temp_;  ///< the named temporary file, while one exists
  bool sync_;
  bool unnamed_ = false;
  bool to_stdout_ = false;
  int fd_ = -1;
  std::vector<std::uint8_t> buffer_;
  File_Error error_;
};

/// Files removed when SIGINT, SIGTERM or SIGHUP ends the process (the signal then takes its
/// usual course). A signal the process ignores stays ignored.
void Remove_On_Signal(const std::string& path);
void Keep_On_Signal(const std::string& path);

}  // namespace lyricanvas
