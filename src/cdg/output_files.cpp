#include "cdg/output_files.h"

#include "model/file_io.h"

#include <fcntl.h>
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

std::uint32_t Le32(const std::string& b, std::size_t at) {
  auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + i])); };
  return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

// Writing files ---------------------------------------------------------------------------------

Output_Error::Kind Kind_Of_Errno(int number) {
  switch (number) {
    case ENOENT: case ENOTDIR:
      return Output_Error::Access;
    case EACCES: case EPERM: case EROFS: case EISDIR: case ETXTBSY: case ENOSPC: case EDQUOT:
    case EFBIG:
      return Output_Error::Cannot_Write;
    case ENAMETOOLONG: case EINVAL: case ENODEV: case ENXIO: case ELOOP:
      return Output_Error::Bad_Name;
    default:
      return Output_Error::Other;
  }
}

Output_Error System_Error(const std::string& what, const std::string& path, int number,
                          const std::string& reason = {}) {
  return {Kind_Of_Errno(number), what + " '" + path + "': " + (reason.empty() ? std::strerror(number) : reason)};
}

/// An output file written through Atomic_File, its failures told as output errors.
class Output_File {
 public:
  explicit Output_File(std::string path) : path_(path), file_(std::move(path)) {}
  void Append(std::span<const std::uint8_t> bytes) { file_.Append(bytes); }
  bool Commit(Output_Error& error) {
    File_Error failure;
    if (file_.Commit(failure)) return true;
    error = System_Error(failure.what, path_, failure.number, failure.reason);
    // A target that is not a regular file is refused, whatever number stands for it.
    if (failure.reason.ends_with("not a regular file")) error.kind = Output_Error::Cannot_Write;
    return false;
  }

 private:
  std::string path_;
  Atomic_File file_;
};

/// A WAV file read in large pieces from a position on, never whole.
class Wav_Reader {
 public:
  static constexpr std::size_t Piece = 1 << 20;

  explicit Wav_Reader(const std::string& path) : path_(path) {
    std::string reason;
    fd_ = Open_Input_File(path, UINT64_MAX, reason, &size_);
    if (fd_ < 0) error_ = Input_Error(reason);
  }
  ~Wav_Reader() {
    if (fd_ >= 0) ::close(fd_);
  }
  Wav_Reader(const Wav_Reader&) = delete;
  Wav_Reader& operator=(const Wav_Reader&) = delete;

  bool Ok() const { return error_.kind == Output_Error::None; }
  const Output_Error& Error() const { return error_; }
  std::uint64_t Size() const { return size_; }

  /// Up to count bytes at offset (fewer at the end, or after a read error).
  std::string Read_At(std::uint64_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    std::size_t got = 0;
    while (Ok() && got < count) {
      ssize_t n = ::pread(fd_, bytes.data() + got, count - got, static_cast<off_t>(offset + got));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error_ = System_Error("Cannot read", path_, errno);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
  }

  /// An audio source over `length` bytes from `offset` on.
  Audio_Source Audio(std::uint64_t offset, std::uint64_t length) {
    next_ = offset;
    end_ = offset + length;
    return [this](std::span<std::uint8_t> into) {
      std::size_t filled = 0;
      while (filled < into.size()) {
        if (piece_at_ >= piece_.size()) {
          if (next_ >= end_) break;
          piece_ = Read_At(next_, static_cast<std::size_t>(std::min<std::uint64_t>(Piece, end_ - next_)));
          piece_at_ = 0;
          next_ += piece_.size();
          if (piece_.empty()) break;
        }
        std::size_t n = std::min(into.size() - filled, piece_.size() - piece_at_);
        std::memcpy(into.data() + filled, piece_.data() + piece_at_, n);
        filled += n;
        piece_at_ += n;
      }
      return filled;
    };
  }

 private:
  Output_Error Input_Error(const std::string& reason) const {
    Output_Error error{Output_Error::Access, "Cannot read '" + path_ + "': " + reason};
    if (reason.ends_with("not a regular file"))
      error = {Output_Error::Bad_Wav, "The WAV file '" + path_ + "' cannot be used: " + reason + "!"};
    return error;
  }

  std::string path_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
  Output_Error error_;
  std::string piece_;
  std::size_t piece_at_ = 0;
  std::uint64_t next_ = 0, end_ = 0;
};

/// The pack of a slot as written to a file: 24 zero bytes for an empty slot or one past Last_Pack.
std::span<const std::uint8_t> Slot_Bytes(const Creation_Run& run, std::int64_t slot) {
  static constexpr Pack Empty{};
  if (slot > run.Last_Pack || !run.Pack_Buffer.Occupied(slot)) return Empty;
  return run.Pack_Buffer.At(slot);
}

}  // namespace

std::optional<Wav_Layout> Read_Wav_Header(const Byte_Reader& read, std::uint64_t size,
                                          std::string& error) {
  const std::string head = read(0, 12);
  if (head.size() < 12 || !head.starts_with("RIFF") || head.substr(8) != "WAVE") {
    error = head.size() < 12 && size >= 4 && head.starts_with("RIFF")
                ? "the file ends inside its RIFF header"
                : "it is not a RIFF WAVE file";
    return std::nullopt;
  }
  // Chunks follow the 12-byte header; each has an 8-byte header and is padded to an even length.
  std::uint64_t at = 12;
  while (at + 8 <= size) {
    const std::string chunk = read(at, 8);
    if (chunk.size() < 8) break;
    std::uint64_t length = Le32(chunk, 4);
    if (chunk.starts_with("data")) {
      std::uint64_t available = size - (at + 8);
      // Streaming writers leave the length 0 or too large: then the audio runs to the end.
      std::uint64_t audio = length == 0 || length > available ? available : length;
      return Wav_Layout{static_cast<std::size_t>(at + 8), static_cast<std::size_t>(audio)};
    }
    if (at + 8 + length > size) {
      error = "its chunk \"" + chunk.substr(0, 4) + "\" runs past the end of the file";
      return std::nullopt;
    }
    at += 8 + length + (length & 1);
  }
  error = at < size ? "the file ends inside a chunk header" : "it has no \"data\" chunk";
  return std::nullopt;
}

std::optional<Wav_Layout> Read_Wav_Header(std::span<const std::uint8_t> bytes,
                                          std::string& error) {
  auto read = [bytes](std::uint64_t offset, std::size_t count) {
    if (offset >= bytes.size()) return std::string();
    auto piece = bytes.subspan(static_cast<std::size_t>(offset));
    piece = piece.first(std::min(count, piece.size()));
    return std::string(piece.begin(), piece.end());
  };
  return Read_Wav_Header(read, bytes.size(), error);
}

void Cdg_Stream(Creation_Run& run, const Byte_Sink& sink) {
  run.Last_Pack = std::min(run.Last_Pack, run.Pack_Buffer.Last_Slot());
  for (std::int64_t slot = 0; slot <= run.Last_Pack; ++slot) sink(Slot_Bytes(run, slot));
}

void Bin_Stream(Creation_Run& run, const Audio_Source& audio, const Byte_Sink& sink) {
  static constexpr std::size_t Frame_Bytes_Per_Pack = Sector_Audio_Bytes / Packs_Per_Sector;
  std::int64_t silence_left = std::max<std::int64_t>(run.Settings.intro_silence_packs, 0);
  std::array<std::uint8_t, Sector_Bytes> sector{};
  run.Pack_Pointer = 0;
  // Without any audio there is no image, not even of the silence before it.
  std::uint8_t first = 0;
  bool first_held = audio(std::span(&first, 1)) == 1;
  if (!first_held) return;
  auto take = [&](std::span<std::uint8_t> into) -> std::size_t {
    if (into.empty() || !first_held) return audio(into);
    into[0] = first;
    first_held = false;
    return 1 + audio(into.subspan(1));
  };
  for (;;) {
    std::size_t zeros = silence_left >= Packs_Per_Sector
                            ? Sector_Audio_Bytes
                            : static_cast<std::size_t>(silence_left) * Frame_Bytes_Per_Pack;
    silence_left = silence_left >= Packs_Per_Sector ? silence_left - Packs_Per_Sector : 0;
    std::fill_n(sector.begin(), zeros, 0);
    std::span<std::uint8_t> audio_part(sector.data() + zeros, Sector_Audio_Bytes - zeros);
    if (take(audio_part) < audio_part.size()) break;  // a last partial sector ends the image
    if (run.Settings.Blank_Audio) std::fill_n(sector.begin(), Sector_Audio_Bytes, 0);
    for (int k = 0; k < Packs_Per_Sector; ++k)
      std::ranges::copy(Slot_Bytes(run, run.Pack_Pointer + k),
                        sector.begin() + Sector_Audio_Bytes + k * 24);
    run.Pack_Pointer += Packs_Per_Sector;
    sink(sector);
  }
}

void Bin_Stream(Creation_Run& run, std::span<const std::uint8_t> audio, const Byte_Sink& sink) {
  Bin_Stream(run, [&audio](std::span<std::uint8_t> into) {
    std::size_t n = std::min(into.size(), audio.size());
    std::copy_n(audio.begin(), n, into.begin());
    audio = audio.subspan(n);
    return n;
  }, sink);
}

bool Write_Cdg_File(Creation_Run& run, const std::string& path, Output_Error& error) {
  Output_File file(path);
  Cdg_Stream(run, [&](std::span<const std::uint8_t> bytes) { file.Append(bytes); });
  return file.Commit(error);
}

bool Write_Bin_File(Creation_Run& run, const std::string& wav_path, const std::string& path,
                    Output_Error& error) {
  Set_Run_Status(run, "writing BIN file");
  Wav_Reader wav(wav_path);
  Set_Run_Status(run, "reading WAV header");
  std::string reason;
  std::optional<Wav_Layout> layout;
  if (wav.Ok())
    layout = Read_Wav_Header([&](std::uint64_t at, std::size_t n) { return wav.Read_At(at, n); },
                             wav.Size(), reason);
  if (!wav.Ok()) {
    error = wav.Error();
    return false;
  }
  if (!layout) {
    error = {Output_Error::Bad_Wav, "The WAV file '" + wav_path + "' cannot be used: " + reason + "!"};
    return false;
  }
  Set_Run_Status(run, "writing BIN file");
  Output_File file(path);
  Bin_Stream(run, wav.Audio(layout->data_offset, layout->data_size),
             [&](std::span<const std::uint8_t> bytes) { file.Append(bytes); });
  if (!wav.Ok()) {
    error = wav.Error();
    return false;
  }
  if (run.Pack_Pointer == 0) {
    error = {Output_Error::Bad_Wav, "The WAV file '" + wav_path + "' cannot be used: its " +
                                        std::to_string(layout->data_size) +
                                        " bytes of audio do not fill one sector of the image (" +
                                        std::to_string(Sector_Audio_Bytes) + " bytes)!"};
    return false;
  }
  return file.Commit(error);
}

}  // namespace lyricanvas
