#include "cdg/output_files.h"

#include "model/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace lyricanvas {

namespace {

// Reading the WAV header ----------------------------------------------------------------------

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

bool Id_Is(std::span<const std::uint8_t> b, std::size_t at, const char (&id)[5]) {
  return std::memcmp(b.data() + at, id, 4) == 0;
}

// Writing files ---------------------------------------------------------------------------------

Output_Error::Kind Kind_Of_Errno(int number) {
  switch (number) {
    case ENOENT: case ENOTDIR: case EACCES: case EPERM: case EROFS: case EISDIR: case ETXTBSY:
      return Output_Error::Access;
    case ENAMETOOLONG: case EINVAL: case ENODEV: case ENXIO: case ELOOP:
      return Output_Error::Bad_Name;
    default:
      return Output_Error::Other;
  }
}

Output_Error System_Error(const std::string& what, const std::string& path, int number) {
  return {Kind_Of_Errno(number), what + " '" + path + "': " + std::strerror(number)};
}

/// An output file written through Atomic_File, its failures told as output errors.
class Output_File {
 public:
  explicit Output_File(std::string path) : path_(path), file_(std::move(path)) {}
  void Append(std::span<const std::uint8_t> bytes) { file_.Append(bytes); }
  bool Commit(Output_Error& error) {
    File_Error failure;
    if (file_.Commit(failure)) return true;
    error = System_Error(failure.what, path_, failure.number);
    return false;
  }

 private:
  std::string path_;
  Atomic_File file_;
};

class Mapped_File {
 public:
  explicit Mapped_File(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
      error_ = System_Error("Cannot read", path, errno);
      if (fd >= 0) ::close(fd);
      return;
    }
    size_ = static_cast<std::size_t>(info.st_size);
    if (size_ > 0) {
      void* data = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
      if (data == MAP_FAILED) {
        error_ = System_Error("Cannot read", path, errno);
        size_ = 0;
      } else {
        data_ = static_cast<const std::uint8_t*>(data);
        ::madvise(data, size_, MADV_SEQUENTIAL);
      }
    }
    ::close(fd);
  }
  ~Mapped_File() {
    if (data_) ::munmap(const_cast<std::uint8_t*>(data_), size_);
  }
  Mapped_File(const Mapped_File&) = delete;
  Mapped_File& operator=(const Mapped_File&) = delete;

  bool Ok() const { return error_.kind == Output_Error::None; }
  const Output_Error& Error() const { return error_; }
  std::span<const std::uint8_t> Bytes() const { return {data_, size_}; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  Output_Error error_;
};

/// The pack of a slot as written to a file: 24 zero bytes for an empty slot or one past Last_Pack.
std::span<const std::uint8_t> Slot_Bytes(const Creation_Run& run, std::int64_t slot) {
  static constexpr Pack Empty{};
  if (slot > run.Last_Pack || !run.Pack_Buffer.Occupied(slot)) return Empty;
  return run.Pack_Buffer.At(slot);
}

}  // namespace

std::optional<Wav_Layout> Read_Wav_Header(std::span<const std::uint8_t> bytes,
                                          std::string& error) {
  if (bytes.size() < 12 || !Id_Is(bytes, 0, "RIFF") || !Id_Is(bytes, 8, "WAVE")) {
    error = bytes.size() < 12 && bytes.size() >= 4 && Id_Is(bytes, 0, "RIFF")
                ? "the file ends inside its RIFF header"
                : "it is not a RIFF WAVE file";
    return std::nullopt;
  }
  // Chunks follow the 12-byte header; each has an 8-byte header and is padded to an even length.
  std::uint64_t at = 12;
  while (at + 8 <= bytes.size()) {
    std::uint64_t length = Le32(bytes, at + 4);
    if (Id_Is(bytes, at, "data")) {
      std::uint64_t available = bytes.size() - (at + 8);
      // Streaming writers leave the length 0 or too large: then the audio runs to the end.
      std::uint64_t size = length == 0 || length > available ? available : length;
      return Wav_Layout{static_cast<std::size_t>(at + 8), static_cast<std::size_t>(size)};
    }
    std::uint64_t next = at + 8 + length + (length & 1);
    if (at + 8 + length > bytes.size()) {
      error = "its chunk \"" + std::string(bytes.begin() + at, bytes.begin() + at + 4) +
              "\" runs past the end of the file";
      return std::nullopt;
    }
    at = next;
  }
  error = at < bytes.size() ? "the file ends inside a chunk header"
                            : "it has no \"data\" chunk";
  return std::nullopt;
}

void Cdg_Stream(Creation_Run& run, const Byte_Sink& sink) {
  run.Last_Pack = std::min(run.Last_Pack, run.Pack_Buffer.Last_Slot());
  for (std::int64_t slot = 0; slot <= run.Last_Pack; ++slot) sink(Slot_Bytes(run, slot));
}

void Bin_Stream(Creation_Run& run, std::span<const std::uint8_t> audio, const Byte_Sink& sink) {
  static constexpr std::array<std::uint8_t, Sector_Audio_Bytes> Silence_Sector{};
  static constexpr std::size_t Frame_Bytes_Per_Pack = Sector_Audio_Bytes / Packs_Per_Sector;
  std::int64_t silence_left = std::max<std::int64_t>(run.Settings.intro_silence_packs, 0);
  std::array<std::uint8_t, Sector_Bytes> sector{};
  std::size_t read = 0;
  run.Pack_Pointer = 0;
  while (read < audio.size()) {
    std::size_t zeros = silence_left >= Packs_Per_Sector
                            ? Sector_Audio_Bytes
                            : static_cast<std::size_t>(silence_left) * Frame_Bytes_Per_Pack;
    silence_left = silence_left >= Packs_Per_Sector ? silence_left - Packs_Per_Sector : 0;
    std::size_t wanted = Sector_Audio_Bytes - zeros;
    if (audio.size() - read < wanted) break;  // a last partial sector ends the image
    std::copy_n(Silence_Sector.begin(), zeros, sector.begin());
    std::copy_n(audio.begin() + static_cast<std::ptrdiff_t>(read), wanted, sector.begin() + zeros);
    read += wanted;
    if (run.Settings.Blank_Audio) std::copy(Silence_Sector.begin(), Silence_Sector.end(), sector.begin());
    for (int k = 0; k < Packs_Per_Sector; ++k)
      std::ranges::copy(Slot_Bytes(run, run.Pack_Pointer + k),
                        sector.begin() + Sector_Audio_Bytes + k * 24);
    run.Pack_Pointer += Packs_Per_Sector;
    sink(sector);
  }
}

bool Write_Cdg_File(Creation_Run& run, const std::string& path, Output_Error& error) {
  Output_File file(path);
  Cdg_Stream(run, [&](std::span<const std::uint8_t> bytes) { file.Append(bytes); });
  return file.Commit(error);
}

bool Write_Bin_File(Creation_Run& run, const std::string& wav_path, const std::string& path,
                    Output_Error& error) {
  Set_Run_Status(run, "writing BIN file");
  Mapped_File wav(wav_path);
  if (!wav.Ok()) {
    error = wav.Error();
    return false;
  }
  Set_Run_Status(run, "reading WAV header");
  std::string reason;
  std::optional<Wav_Layout> layout = Read_Wav_Header(wav.Bytes(), reason);
  if (!layout) {
    error = {Output_Error::Bad_Wav, "The WAV file '" + wav_path + "' cannot be used: " + reason + "!"};
    return false;
  }
  Set_Run_Status(run, "writing BIN file");
  Output_File file(path);
  Bin_Stream(run, wav.Bytes().subspan(layout->data_offset, layout->data_size),
             [&](std::span<const std::uint8_t> bytes) { file.Append(bytes); });
  return file.Commit(error);
}

}  // namespace lyricanvas
