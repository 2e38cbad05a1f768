#pragma once
// Shared helpers for the test suites: a Ui that records every call, scratch files and bytes.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "model/font.h"
#include "model/ui.h"

namespace lyricanvas::testing {

/// A Ui that records every message, question and log line and answers questions from a queue
/// (No when the queue is empty).
struct Recording_Ui {
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<std::string> focused;
  std::vector<std::string> statuses;
  std::vector<std::string> log;
  std::vector<Answer> answers;
  Ui ui();
};

/// A fresh temporary directory, removed when the object goes.
struct Temp_Dir {
  Temp_Dir();
  ~Temp_Dir();
  std::filesystem::path path;
  std::string File(const std::string& name) const { return (path / name).string(); }
};

/// Runs a shell command; output holds what it wrote to stdout (add 2>&1 for stderr too).
struct Command_Result {
  int exit_code = -1;  ///< -1 when it could not run or did not exit normally
  std::string output;
};
Command_Result Run_Command(const std::string& command);

/// A font record with every property set.
Font_Rec Make_Font(const char* name, double size, bool bold = false, bool italic = false,
                   bool underline = false);

/// The bytes of a built file, as the readers take them.
inline std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

/// The low `bytes` bytes of `value`, least significant first.
inline std::string Le(std::uint64_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
  return out;
}

/// The 44-byte header of a 16-bit PCM WAV holding data_bytes of samples (CD audio by default).
inline std::string Wav_Header(std::uint64_t data_bytes, int sample_rate = 44100, int channels = 2) {
  return "RIFF" + Le(36 + data_bytes, 4) + "WAVEfmt " + Le(16, 4) + Le(1, 2) + Le(channels, 2) +
         Le(sample_rate, 4) + Le(sample_rate * channels * 2, 4) + Le(channels * 2, 2) + Le(16, 2) +
         "data" + Le(data_bytes, 4);
}

std::string Read_File(const std::string& path);
void Write_File(const std::string& path, const std::string& bytes);
std::string Test_Data(const std::string& relative);

/// Where two outputs first differ; npos when they are equal.
std::size_t First_Difference(const std::string& a, const std::string& b);

/// Compares an output with its golden, the checked-in file tests/data/<relative>, after writing
/// every occurrence of the scratch folder as "$TMP". A mismatch says where it starts and leaves
/// the new output in the system's temporary folder. To approve an intended change, look at that
/// output and run the tests once with LYRICANVAS_APPROVE_GOLDEN=1, which writes the goldens.
void Expect_Golden(const std::string& relative, std::string bytes, const std::string& scratch = "");

}  // namespace lyricanvas::testing
