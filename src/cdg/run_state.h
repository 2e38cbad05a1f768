#pragma once
// The state of one creation run: the pack stream being built, the screen model that follows it,
// the settings read from the creation tab and the tables of the coloring and screen passes.
// One run owns one of these; nothing of it outlives the run.
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/song.h"
#include "pictures/reduction.h"

namespace lyricanvas {

constexpr int Packs_Per_Second = 300;
constexpr int Inner_Width = 288;  ///< inner screen area in pixels
constexpr int Inner_Height = 192;
constexpr int Pack_Log_Capacity = 8000;
constexpr int Max_Coloring_Points = 300;
constexpr int Max_Screens = 150;

/// One CD+G pack: command, instruction, parity Q, 16 data bytes, parity P.
using Pack = std::array<std::uint8_t, 24>;

/// The slots of the stream, 0 .. Last_Slot(). A slot is empty or holds one pack.
class Pack_Slots {
 public:
  void Resize(std::int64_t last_slot);  ///< slots 0 .. last_slot, all empty
  void Erase();                         ///< no slots at all
  std::int64_t Last_Slot() const { return static_cast<std::int64_t>(used_.size()) - 1; }
  std::int64_t Size() const { return static_cast<std::int64_t>(used_.size()); }
  bool Occupied(std::int64_t slot) const {
    return slot >= 0 && slot < Size() && used_[static_cast<std::size_t>(slot)] != 0;
  }
  const Pack& At(std::int64_t slot) const { return packs_[static_cast<std::size_t>(slot)]; }
  void Put(std::int64_t slot, const Pack& pack);
  void Clear_Slot(std::int64_t slot);

 private:
  std::vector<Pack> packs_;
  std::vector<std::uint8_t> used_;
};

/// Colour indices of the inner area, (y 0..192, x 0..288) as the engine addresses them.
struct Screen_Pixels {
  static constexpr int Rows = Inner_Height + 1;
  static constexpr int Columns = Inner_Width + 1;
  std::vector<std::uint8_t> Pixels = std::vector<std::uint8_t>(Rows * Columns, 0);
  std::uint8_t& operator()(int y, int x) {
    return Pixels[static_cast<std::size_t>(y * Columns + x)];
  }
  std::uint8_t operator()(int y, int x) const {
    return Pixels[static_cast<std::size_t>(y * Columns + x)];
  }
  void Fill(std::uint8_t value) { std::fill(Pixels.begin(), Pixels.end(), value); }
  bool operator==(const Screen_Pixels&) const = default;
};

/// One point of a line's wipe: the wipe reaches column x at color_time.
struct coloring_point {
  int x = 0;
  double color_time = 0;  ///< seconds after fetching, pack number after the coloring pass
  int jump = 0;           ///< -1: a new segment starts here, nothing is interpolated before it
  /// The first inked column of a field reaches its colour here, at the field's first event;
  /// the point is never merged into a neighbour.
  bool on_time = false;
  bool operator==(const coloring_point&) const = default;
};

struct coloring_line {
  QString text;
  int count = 0;
  std::array<coloring_point, Max_Coloring_Points + 1> points{};  ///< 1 .. count in use
  std::string picture;  ///< property string of the line's picture, "" if none
  int picture_field = 0;
  int Screen_Of_Line = 0;
  int Slot_Of_Line = 0;
  std::int64_t First_Wipe_Pack = 0;
  std::int64_t Last_Wipe_Pack = 0;
  std::vector<std::int64_t> Wipe_Slots;  ///< every slot that holds a wipe pack of the line
  bool Drawn = false;                    ///< its letters have been put on a screen in this run
  /// Wipe packs that would have played before the line or their tile of it stood on the
  /// screen: kept out of the stream (they would recolour whatever stood there) and applied to
  /// the target whenever the line is drawn.
  std::vector<Pack> Withheld_Wipes;
};

/// A pixel of a rendered lyrics line: row relative to the line's print origin, column, and
/// whether it belongs to the letters' body (else to their outline).
struct Line_Pixel {
  std::int16_t y = 0;
  std::int16_t x = 0;
  bool body = false;
};
using Line_Picture = std::vector<Line_Pixel>;
/// Per column of the inner area: whether the parts a wiping style recolours have ink there.
using Ink_Columns = std::array<bool, Inner_Width + 1>;

/// Settings of the creation tab as one run reads them.
struct Creation_Settings {
  std::string Output_File;  ///< txt_Filename(2)
  std::string Wav_File;     ///< txt_Filename(1); "" writes a .cdg
  std::string Wiping_Style = "Swipe text body only";
  std::string Fading_Style = "Cheap DVD fading";
  double Minimum_Gap = 4;    ///< seconds
  double Minimum_Shown = 4;  ///< seconds
  int Lines_Per_Screen = 6;
  bool Reverse_Transparency = false;
  bool Reduce_Framerate = false;
  bool Blank_Audio = false;
  std::int64_t intro_silence_packs = 0;
  std::array<double, 4> timebase_source{-999, -999, -999, -999};  ///< 1..3 used
  std::array<double, 4> timebase_dest{-999, -999, -999, -999};    ///< 1..3 used, in packs
};

/// The random source of the sweep effects' ragged fronts: a small, fast generator (xorshift64*)
/// giving 32-bit values; the same seed gives the same fronts.
class Sweep_Random {
 public:
  explicit Sweep_Random(std::uint64_t seed = 1) { this->seed(seed); }
  void seed(std::uint64_t value) { state_ = value * 0x9E3779B97F4A7C15ull | 1; }
  std::uint32_t operator()() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<std::uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
  }

 private:
  std::uint64_t state_ = 1;
};

struct Creation_Run {
  Creation_Settings Settings;
  Ui ui;
  std::string Status_Text;

  // The stream.
  Pack_Slots Pack_Buffer;
  std::int64_t Pack_Pointer = 0;
  std::int64_t Last_Pack = 0;
  std::array<std::int64_t, Pack_Log_Capacity + 1> Pack_Log{};  ///< 1 .. Pack_Log_Count
  int Pack_Log_Count = 0;

  // The screen model.
  Screen_Pixels Target_Screen;
  Screen_Pixels Shown_Screen;
  Screen_Pixels Background_Screen;
  std::int64_t Interpreted_Up_To = -1;
  Palette_Table Work_Palette{};
  int Fade_Packs = 300;
  int Lines_Per_Screen = 6;
  int Line_Y_Offset = 0;
  /// Each line rendered once per run, for writing, erasing and finding where its ink starts.
  std::vector<std::optional<Line_Picture>> Line_Pictures =
      std::vector<std::optional<Line_Picture>>(Max_Lines + 1);
  double Total_Time = 0;  ///< seconds of the destination track

  // Coloring timeline (lines 1 .. 500).
  std::vector<coloring_line> coloring_table = std::vector<coloring_line>(Max_Lines + 1);
  std::unordered_map<std::int64_t, int> Wipe_Line_At;  ///< the line of each slot's wipe pack
  std::int64_t last_color_pack = 0;

  // Screen planning.
  std::array<int, Max_Screens + 1> Screen_Line_Count{};
  std::vector<std::array<int, 101>> Screen_Lines =
      std::vector<std::array<int, 101>>(Max_Screens + 1);
  int Screen_Count = 0;
  std::int64_t Screen_End_Mark = 0;

  // Pictures.
  Picture_Work Pictures;
  bool Picture_On_Screen = false;
  /// Ragged sweep fronts; a fixed seed makes a run repeatable.
  Sweep_Random Effect_Random{
      static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())};
};

/// Sets the phase of the run and tells the Ui.
void Set_Run_Status(Creation_Run& run, const std::string& status);

}  // namespace lyricanvas
