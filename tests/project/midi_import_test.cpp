#include "project/midi_import.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "project/project_file.h"
#include "project_test_support.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Bytes;
using testing::Recording_Ui;

// Standard MIDI files built byte by byte: numbers big-endian, delta ticks as variable-length
// quantities (7 bits per byte, most significant first).
std::string Be(std::uint32_t value, int bytes) {
  std::string out;
  for (int k = bytes - 1; k >= 0; --k) out += static_cast<char>(value >> (8 * k) & 0xFF);
  return out;
}
std::string Var(std::uint32_t value) {
  std::string out(1, static_cast<char>(value & 0x7F));
  while (value >>= 7) out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
  return out;
}
std::string B(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out += static_cast<char>(b);
  return out;
}
std::string Meta(std::uint32_t delta, int type, const std::string& data) {
  return Var(delta) + "\xFF" + static_cast<char>(type) + Var(std::uint32_t(data.size())) + data;
}
std::string Text(std::uint32_t delta, const std::string& t) { return Meta(delta, 1, t); }
std::string Lyric(std::uint32_t delta, const std::string& t) { return Meta(delta, 5, t); }
std::string Tempo(std::uint32_t delta, std::uint32_t microseconds_per_quarter) {
  return Meta(delta, 0x51, Be(microseconds_per_quarter, 3));
}
const std::string End = Meta(0, 0x2F, "");

/// A Standard MIDI file of the tracks' events; the header announces their number unless told
/// otherwise. A negative division is SMPTE (minus frames per second, ticks per frame).
std::string Smf(const std::vector<std::string>& tracks, int announced = -1, int division = 480) {
  std::string out = "MThd" + Be(6, 4) + Be(1, 2) +
                    Be(std::uint32_t(announced < 0 ? tracks.size() : announced), 2) +
                    Be(std::uint16_t(division), 2);
  for (const std::string& events : tracks)
    out += "MTrk" + Be(std::uint32_t(events.size()), 4) + events;
  return out;
}

/// One track of events at 120 beats per minute, 480 ticks per quarter: 150 packs a quarter.
std::string Lyric_File(const std::string& events) { return Smf({Tempo(0, 500000) + events + End}); }

struct Imported {
  std::unique_ptr<Song> song = std::make_unique<Song>();
  Recording_Ui recorder;
  Read_Status status;

  explicit Imported(const std::string& bytes, const std::string& path = "/songs/a.kar")
      : status(Import_Midi(*song, Bytes(bytes), path, recorder.ui())) {}
  QString Text() const { return song->RTB_Raw.Text(); }
  std::int64_t Start(int f) const { return Event_Time_Packs(song->Fields[f].Events, 1); }
};

TEST(MidiImport, SyllablesAreTimedThroughTheTempoMap) {
  // 0.5 s per quarter, then from tick 960 one second per quarter.
  const std::string tempo_track = Tempo(0, 500000) + Tempo(960, 1000000) + End;
  const std::string words = Lyric(480, "one ") + Lyric(960, "two ") + Lyric(480, "three") + End;
  // 60 beats per minute from tick 960, 120 from tick 2880; before them the default tempo.
  const std::string late_tempos = Tempo(960, 1000000) + Tempo(1920, 500000) + End;
  const std::string notes = Var(0) + B({0x90, 0x3C, 0x60}) + Var(240) + B({0x3C, 0x00}) + Var(0) +
                            B({0x3E, 0x60}) + Var(0) + B({0xB0, 0x07, 0x64}) + Var(0) +
                            B({0x0A, 0x40}) + Var(0) + B({0xC0, 0x05});  // running status
  const std::string wrapped = Lyric_File(Lyric(480, "wrapped"));
  const std::string happy = Lyric(0, "Happy birthday ");  // two syllables: 6 and 9 characters
  struct Case {
    const char* what;
    std::string file;
    std::vector<std::int64_t> starts;  ///< packs of each field
  } cases[] = {
      {"tempo track first", Smf({tempo_track, words}), {150, 600, 900}},
      {"tempo track last", Smf({words, tempo_track}), {150, 600, 900}},
      {"no tempo event", Smf({Lyric(96, "la ") + Lyric(192, "la") + End}, 1, 96), {150, 450}},
      {"two tempos after the start",
       Smf({late_tempos, Lyric(480, "a ") + Lyric(1440, "b ") + Lyric(960, "c") + End}),
       {150, 900, 1500}},
      {"one tempo after the start holds from tick 0",
       Smf({Tempo(960, 1000000) + Lyric(960, "a") + End}),
       {1200}},
      {"SMPTE 25 frames of 40 ticks; tempo ignored",
       Smf({Tempo(0, 2000000) + Lyric(2500, "late ") + Lyric(500, "x") + End}, 1, -(25 << 8) + 40),
       {750, 900}},
      {"SMPTE 29.97 frames of 10 ticks",
       Smf({Lyric(29970, "x") + End}, 1, -(29 << 8) + 10),
       {30000}},
      {"notes in running status between the lyrics",
       Lyric_File(notes + Lyric(240, "Hel") + Var(480) + B({0xE0, 0x00, 0x40}) + Lyric(0, "lo")),
       {150, 300}},
      {"inside a RIFF MIDI file",
       "RIFF" + B({0, 0, 0, 0}) + "RMID" + "LIST" + B({3, 0, 0, 0}) + "abc" + B({0}) + "data" +
           B({int(wrapped.size()), 0, 0, 0}) + wrapped,
       {150}},
      // A word's syllables of one event get a quarter second per character, unless that reaches
      // the next syllable and it is not the last: then the gap is shared by the characters.
      {"room for the quarter seconds",
       Lyric_File(happy + Lyric(3840, "to") + Lyric(480, "you")),
       {0, 450, 1200, 1350}},
      {"a tight gap is shared",
       Lyric_File(happy + Lyric(960, "to") + Lyric(480, "you")),
       {0, 120, 300, 450}},
      {"before the last syllable the quarter seconds hold",
       Lyric_File(happy + Lyric(960, "to")),
       {0, 450, 450 + 675}},
      {"the last event", Lyric_File(Lyric(960, "so long")), {300, 300 + 225}},
  };
  for (const auto& c : cases) {
    Imported m(c.file);
    ASSERT_EQ(m.status, Read_Status::Complete) << c.what;
    ASSERT_EQ(m.song->Field_Count, static_cast<int>(c.starts.size())) << c.what;
    for (std::size_t f = 1; f <= c.starts.size(); ++f)
      EXPECT_EQ(m.Start(int(f)), c.starts[f - 1]) << c.what << ", field " << f;
  }
}

// Karaoke marks make lines and paragraphs under the title, information and copyright follow the
// lyrics; CR, NUL, a lone slash and separators break lines, syllables of one tick are one field
// unless on two lines, empty syllables are none, and fields start at their first non-blank
// character; a field ends at the next syllable, at most a second later, and half way to it at
// the end of a line. The imported lyrics and fields are pinned by goldens.
TEST(MidiImport, KaraokeFilesImportAsTheirGoldensShow) {
  const std::string separator = "\xE2\x80\xA9";  // U+2029 in UTF-8
  const std::pair<const char*, std::string> cases[] = {
      {"karaoke_marks.cgp",
       Lyric_File(Meta(0, 2, "(c) Us") + Text(0, "@KMIDI KARAOKE FILE") + Text(0, "@TSunny") +
                  Text(0, "@TThe Band") + Text(0, "@IFirst info ") + Text(0, "@I  Second") +
                  Text(0, "@LENGL") + Text(100, "\\Hel") + Text(100, "lo ") + Text(100, "world") +
                  Text(100, "/Sec") + Text(100, "ond") + Text(100, "\\Third"))},
      {"lyric_breaks.cgp",
       Lyric_File(Lyric(0, "one") + Lyric(100, "\rtwo ") + Lyric(100, std::string("end\0", 4)) +
                  Lyric(100, "more") + Lyric(100, "/") + Lyric(100, "last") + Lyric(100, "") +
                  Lyric(100, "/Hel") + Lyric(0, "lo ") + Lyric(480, "end") + Lyric(0, "/Next") +
                  Lyric(4800, "line") + Lyric(100, "/The") + Lyric(100, " night") +
                  Lyric(100, " \tis") + Lyric(100, " ") + Lyric(100, "/ young") +
                  Lyric(100, "/a" + separator) + Lyric(0, "b\x0B") + Lyric(100, "c\xE2\x80\xA8") +
                  Lyric(100, "d\x0C") + Lyric(100, "e" + separator + "f") +
                  Lyric(100, "g\xC2\x85") + Lyric(0, "h"))},
      // A lyric at time 0 decides nothing and the first text later closes lyrics; the first
      // lyric later closes texts.
      {"text_after_lyric_at_0.cgp",
       Lyric_File(Lyric(0, "zero ") + Text(0, "@TTitle") + Text(100, "text ") + Lyric(0, "lyric ") +
                  Text(100, "again"))},
      {"lyric_after_text.cgp",
       Lyric_File(Lyric(100, "lyric ") + Text(0, "text ") + Lyric(100, "only"))},
      // The whole file decides its character set: a UTF-8 character cut off at the end makes it
      // all Windows-1252.
      {"windows_1252.cgp", Lyric_File(Lyric(0, "F\xFCr ") + Lyric(100, "\x80"))},
      {"utf_8.cgp",
       Lyric_File(Lyric(0, "F\xC3\xBCr ") + Lyric(100, "\xF0\x9F\x8E\xB5 ") + Lyric(100, "la"))},
      {"utf_8_cut_off.cgp", Smf({Meta(0, 2, "(c) \xC3") + Lyric(0, "\xC3\xBC") + End})},
  };
  for (const auto& [golden, file] : cases) {
    Imported m(file);
    ASSERT_EQ(m.status, Read_Status::Complete) << golden;
    testing::Expect_Golden(std::string("project/golden/") + golden,
                           Project_File_Bytes(*m.song, m.recorder.ui()));
  }
}

TEST(MidiImport, StopsAtTheTablesCapacitiesAndSaysSo) {
  std::string many;
  for (int k = 0; k < 5001; ++k) many += Lyric(10, "la ");
  Imported fields(Lyric_File(many));
  EXPECT_EQ(fields.song->Field_Count, Max_Fields);
  EXPECT_EQ(fields.recorder.messages,
            std::vector<std::string>{"Only the first 5000 syllables have been timed: the lyrics "
                                     "hold more than 5000 syllables."});
  for (int k = 5001; k < Max_Midi_Syllables + 5; ++k) many += Lyric(10, "la ");
  Imported syllables(Lyric_File(many));
  EXPECT_EQ(syllables.recorder.messages.size(), 2u);
  EXPECT_EQ(syllables.Text().count("la"), Max_Midi_Syllables + 5);  // no text is lost
  Imported long_text(
      Lyric_File(Lyric(10, std::string(32760, 'x')) + Lyric(10, " ab") + Lyric(10, "cdefghij")));
  EXPECT_EQ(long_text.song->Field_Count, 2);
  EXPECT_EQ(long_text.recorder.messages.size(), 1u);
}

std::string Fixture(const char* name) {
  return testing::Read_File(testing::Test_Data("project/midi_damaged/") + name);
}

// Complete and Incomplete imports replace the loaded project by what they read (Incomplete says
// so once) and name the file as the song to play; a refused file says why once and leaves the
// project untouched.
TEST(MidiImportDamaged, FilesAreReadAsFarAsTheyGoOrRefusedWhole) {
  const std::string lyric = Lyric(480, "la") + End;
  const std::string two_tracks =  // a tempo and a note, then three syllables
      Smf({Tempo(0, 500000) + Var(0) + B({0x90, 0x3C, 0x60}) + Var(10) + B({0x3C, 0x00}) + End,
           Lyric(10, "\\Hel") + Lyric(10, "lo ") + Lyric(10, "you") + End});
  std::string long_last = Smf({Tempo(0, 500000) + lyric});
  long_last[21] = '\x7F';  // the last chunk's length runs past the end of the file
  // Events after the end of the track, unknown chunks, padding after the last chunk, a short
  // tempo event and system messages without data.
  const std::string odd = Smf({}, 1) + "XFIL" + Be(3, 4) + "abc" +
                          Smf({Meta(0, 0x51, "\x07") + Var(0) + "\xF7\xF8" + Var(0) + "\xF7" +
                               Var(1) + "z" + lyric + "\xFF\xFF\xFF"})
                              .substr(14) +
                          std::string(3, '\0');
  constexpr Read_Status Ok = Read_Status::Complete, Cut = Read_Status::Incomplete,
                        Refused = Read_Status::Failed;
  struct Case {
    const char* what;
    std::string file;
    Read_Status status;
    int fields;
  } cases[] = {
      {"last chunk too long", long_last, Ok, 1},
      {"a delta of five bytes",
       Smf({Lyric(0, "la") + B({0x80, 0x80, 0x80, 0x80, 0}) + "\xFF\x05\x02no" + End}), Cut, 1},
      {"cut after a delta in the first track", two_tracks.substr(0, 30), Cut, 0},
      {"cut after the y of you", two_tracks.substr(0, two_tracks.size() - 6), Cut, 2},
      {"more tracks announced than present", Smf({lyric}, 3), Ok, 1},
      {"no track", Smf({}, 1), Ok, 0},
      {"running status after a meta event",
       Smf({Var(0) + B({0x90, 0x3C, 0x60}) + Lyric(0, "la ") + Var(480) + B({0x3C, 0}) +
            Lyric(0, "di") + End}),
       Ok, 2},
      {"running status after a sysex",
       Smf({Var(0) + B({0x90, 0x3C, 0x60}) + Var(0) + B({0xF0, 1, 0xF7}) + Var(0) + B({0x3C, 0}) +
            lyric}),
       Ok, 1},
      {"tolerable oddities", odd, Ok, 1},
      {"data without any status", Smf({Lyric(0, "la") + Var(0) + "\x3C\x60" + lyric}), Cut, 1},
      {"meta length past the track",
       Smf({Lyric(0, "la") + Var(0) + "\xFF\x05" + Var(0x0FFFFFFF) + "la"}), Cut, 1},
      {"RIFF MIDI without data", std::string("RIFF\0\0\0\0RMID", 12), Refused, 0},
      {"short header", std::string("MThd") + Be(4, 4) + Be(0, 4), Refused, 0},
      {"header cut off", Smf({}, 1).substr(0, 13), Refused, 0},
      {"delta_without_event.kar", Fixture("delta_without_event.kar"), Cut, 1},
      {"division_zero.mid", Fixture("division_zero.mid"), Refused, 0},
      {"note_cut_off.kar", Fixture("note_cut_off.kar"), Cut, 1},
      {"plain_text.kar", Fixture("plain_text.kar"), Refused, 0},
      {"smpte_zero_ticks_per_frame.mid", Fixture("smpte_zero_ticks_per_frame.mid"), Refused, 0},
      {"sysex_length_past_track.kar", Fixture("sysex_length_past_track.kar"), Cut, 0},
  };
  for (const auto& c : cases) {
    Imported m("");  // a loaded project to import over
    m.song->RTB_Raw.Set_Text("Keep me");
    m.song->Field_Count = 1;
    m.song->Fields[1] = {1, 4, Encode_Event(1, 30) + Encode_Event(251, 60)};
    m.song->Text_Length = m.song->RTB_Raw.Length();
    m.recorder.messages.clear();
    const Song before = *m.song;
    EXPECT_EQ(Import_Midi(*m.song, Bytes(c.file), "bad.kar", m.recorder.ui()), c.status) << c.what;
    ASSERT_EQ(m.recorder.messages.size(), c.status == Ok ? 0u : 1u) << c.what;
    if (c.status != Ok) {
      EXPECT_TRUE(m.recorder.messages[0].starts_with(
          c.status == Cut ? "The file 'bad.kar' is incomplete: track "
                          : "The file 'bad.kar' could not be imported: "))
          << m.recorder.messages[0];
    }
    const Song& song = *m.song;
    if (c.status == Refused) {
      EXPECT_EQ(song.RTB_Raw.Text(), before.RTB_Raw.Text()) << c.what;
      EXPECT_TRUE(song.Fields == before.Fields && song.Field_Count == before.Field_Count &&
                  song.Text_Length == before.Text_Length &&
                  song.Window_Controls == before.Window_Controls)
          << c.what;
    } else {
      EXPECT_EQ(song.Field_Count, c.fields) << c.what;
      EXPECT_TRUE(c.fields > 0 || Is_Empty(song.Fields[1])) << c.what;
      EXPECT_EQ(song.Text_Length, song.RTB_Raw.Length()) << c.what;
      EXPECT_EQ(song.Window_Controls.Text("txt_Filename", 0), "bad.kar") << c.what;
      EXPECT_FALSE(song.Suppress_Text_Events) << c.what;
    }
  }
}

// The demo song (titles, then a bar of four quarters before "Sun" at 120 beats per minute).
TEST(MidiImport, DemoSongGeneratorWritesAKarThatImports) {
  if (std::system("command -v python3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  testing::Temp_Dir dir;
  std::string script = testing::Test_Data("../../tools/make_demo_kar.py");
  std::string kar = dir.File("demo.kar");
  ASSERT_EQ(std::system(("python3 '" + script + "' '" + kar + "'").c_str()), 0);
  Imported m(testing::Read_File(kar), kar);
  ASSERT_EQ(m.status, Read_Status::Complete);
  testing::Expect_Golden("project/golden/demo.cgp", Project_File_Bytes(*m.song, m.recorder.ui()),
                         dir.path.string());
}

}  // namespace
}  // namespace lyricanvas
