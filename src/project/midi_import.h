#pragma once
// Lyrics import from Standard MIDI files (.mid) and karaoke MIDI files (.kar). The text and
// lyric events become the lyrics, every syllable becomes a field that is already timed (start
// and end), and the MIDI file becomes the song played while timing.
//
// The import works in two stages so that a damaged file never leaves a half-loaded project:
// the bytes are parsed and timed into a Midi_Import first, and only a complete parse is put
// into the song.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/song.h"
#include "model/ui.h"
#include "project/read_status.h"

namespace lyricanvas {

constexpr int Max_Midi_Syllables = 10000;

struct Midi_Syllable {
  double Time = 0;            ///< seconds from the start of the song
  std::int64_t Ticks = 0;     ///< absolute time in ticks within its track
  std::size_t Start_Pos = 0;  ///< bytes of lyrics before the syllable was added
  std::size_t End_Pos = 0;    ///< bytes of lyrics after it was added
  std::size_t Text_Pos = 0;   ///< offset of Text in the lyrics (after any line-break prefix)
  std::string Text;           ///< the syllable without its mark character
  bool Breaks_Line = false;   ///< Text holds a line feed
  bool operator==(const Midi_Syllable&) const = default;
};

struct Midi_Tempo {
  std::int64_t Ticks = 0;
  double Time = 0;                 ///< seconds at Ticks, from the whole tempo map
  double Seconds_Per_Quarter = 0;  ///< tempo from Ticks on
  bool operator==(const Midi_Tempo&) const = default;
};

/// The import's working state and its result before it is applied to a song.
struct Midi_Import {
  // From the header. With SMPTE division a "quarter" is one second: Ticks_Per_Quarter holds
  // the ticks per second and tempo events do not apply.
  bool Has_Header = false;
  double Ticks_Per_Quarter = 0;
  bool Smpte = false;
  double Seconds_Per_Quarter = 0.5;  ///< tempo before the first tempo event

  std::vector<Midi_Tempo> Midi_Tempos;        ///< in the order met; sorted by Retime_Syllables
  std::vector<Midi_Syllable> Midi_Syllables;  ///< at most Max_Midi_Syllables
  std::string Midi_Lyrics;                    ///< file bytes; line breaks are LF or CR LF
  std::string Midi_Info;                      ///< copyright and "@I" lines
  bool Text_Events_Open = true;
  bool Lyric_Events_Open = true;
  bool Syllables_Dropped = false;  ///< the table was full and later syllables got no time

  // Parser state of the current track.
  int Tracks_Read = 0;
  std::int64_t Track_Ticks = 0;

  std::string Error;   ///< why the file cannot be imported ("" while it can)
  std::string Damage;  ///< where a track is cut off or damaged; what came before it is kept
};

/// Imports the MIDI or KAR file's bytes into the song: lyrics text in RTB_Raw, one timed field
/// per syllable, Text_Length, and path as the song to play (txt_Filename(0)). A file that
/// cannot be read is reported through ui and leaves the song unchanged (Failed); a file cut off
/// inside a track gives the syllables before the cut, reported as Incomplete.
Read_Status Import_Midi(Song& song, std::span<const std::uint8_t> bytes, const std::string& path,
                 const Ui& ui);

/// Walks the chunks of the file, reading the header and every track. False (with
/// import.Error set) when the file is no Standard MIDI file or its header is unusable; a track
/// that is cut off or damaged keeps the events before the fault and sets import.Damage.
bool Parse_Chunks(Midi_Import& import, std::span<const std::uint8_t> bytes);
bool Read_Header(Midi_Import& import, std::span<const std::uint8_t> chunk);
/// False (with import.Damage set) when the track breaks off inside an event.
bool Read_Track(Midi_Import& import, std::span<const std::uint8_t> chunk);
/// Handles a meta event met at import.Track_Ticks: text and lyric events become syllables,
/// the copyright becomes information, tempo events extend the tempo map.
void Handle_Meta_Event(Midi_Import& import, int type, std::span<const std::uint8_t> data);

/// A variable-length quantity (7 bits per byte, most significant first) at pos; advances pos.
/// Nothing when it runs past the end or is longer than the four bytes a file may use.
std::optional<std::uint32_t> Read_Var_Length(std::span<const std::uint8_t> data, std::size_t& pos);

/// Times every syllable from its ticks through the tempo map of all tracks, then spreads runs
/// of syllables that share one time.
void Retime_Syllables(Midi_Import& import);

/// The lyrics as the text box holds them, and for every byte offset of the lyrics bytes (and
/// one past the end) the offset it became in that text. Line breaks become CR LF; the bytes are
/// read as UTF-8 when they are valid UTF-8 with some non-ASCII character, else as Windows-1252.
struct Lyrics_Text {
  QString Text;
  std::vector<qsizetype> Offset_Of_Byte;
};
Lyrics_Text Midi_Lyrics_Text(const std::string& lyrics);

/// Creates one field per syllable found in song.RTB_Raw, timed from its start to the next
/// syllable. RTB_Raw must hold lyrics.Text. Stops with a message at the field table's capacity
/// or where positions no longer fit a field.
void Make_Fields(Song& song, const Midi_Import& import, const Lyrics_Text& lyrics, const Ui& ui);

}  // namespace lyricanvas
