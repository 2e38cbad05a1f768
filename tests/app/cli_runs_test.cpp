// lyricanvas-cli runs that succeed, one after the other in one folder as a script runs them: the
// exit status of each, what it says and what it writes. Later runs read what earlier ones wrote.
// Then the frames and contact sheets of a small hand-built stream.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>
#include <array>
#include <filesystem>

#include "cdg/cdg_decoder.h"
#include "cli_folder.h"

namespace lyricanvas {
namespace {

using ::testing::HasSubstr;
using testing::Read_File;
namespace fs = std::filesystem;

struct Cli_Run {
  std::string words;
  std::vector<std::string> says = {};  ///< in what the run prints
  const char* written = nullptr;       ///< the file that holds the output; "-": standard output
  const char* starts = nullptr;        ///< its first bytes; nullptr: whole CD+G packs, 30 to 60 s
  int exit_code = 0;
};

const char* const Png = "\x89PNG\r\n\x1a\n";
const char* const Project = "{\\rtf1";

TEST(CliRuns, EachVerbDoesItsWorkAndTellsIt) {
  testing::Cli_Folder folder;
  fs::create_symlink("out.cdg", folder.Path("link.cdg"));           // followed, its target replaced
  fs::copy_file(folder.Path("song.cgp"), folder.Path("Song.Cgp"));  // extensions in any case
  const QImage good(QString::fromStdString(folder.Path("good.bmp")));
  ASSERT_TRUE(good.save(QString::fromStdString(folder.Path("logo.png"))));
  const std::string wav = testing::Test_Data("cdg/wav/three_sectors_and_a_bit.wav");
  const Cli_Run runs[] = {
      {"import words.txt -o words.cgp", {"words.cgp: 0 fields\n"}, "words.cgp", Project},
      {"import song.cgp -o copy.cgp"},  // compared below
      {"import copy.cgp -o copy2.cgp"},
      {"info words.cgp", {"lines: 2\n", "fields: 0\n", "fonts: [Times New Roman 20]"}},
      {"info --text words.cgp", {"Wonderful water\nsomething didn't\n"}},
      {"info song.cgp",
       {"timed fields: 56\n", "first timing point: 0:02.00\n", "last timing point: 0:37.00\n"}},
      {"syllables words.txt -o syl.cgp", {"syl.cgp: 9 fields (9 new)\n"}},
      {"info syl.cgp", {"syllables: 9\n", "fields: 9\n", "timed fields: 0\n"}},
      {"syllables syl.cgp -o again.cgp", {"again.cgp: 9 fields (0 new)\n"}},
      // Tab mode cuts the words, the first syllable is timed, the second skipped, the third timed.
      {"timing words.txt --keys keys.txt -o timed.cgp", {"timed.cgp: 5 keys, 9 fields\n"}},
      {"info timed.cgp",
       {"timed fields: 2\n", "first timing point: 0:00.90\n", "last timing point: 0:03.50\n",
        "  Chk_Tabmode = 1\n"}},
      {"create song.txt --total 0:30 -o link.cdg --yes", {"Finished writing of file"}, "out.cdg"},
      {"create Song.Cgp --total 0:40 -o new.cdg", {"Finished writing of file"}, "new.cdg"},
      {"frame tiny.cdg --at 0 -o 'fr\xe9.png'", {"wrote fr\xe9.png"}, "fr\xe9.png", Png},
      {"create song.txt --wav '" + wav + "' --output=new.bin --silence 0,01 --blank-audio"},
      {"picture song.cgp --add good.bmp --line 0 --effect 'Circle out' --hold 2 --reverse -o "
       "p.cgp"},
      {"info p.cgp", {"picture 1 at character 1: effect \"Circle out\", hold \"2\", reversed"}},
      // A stored picture goes along with its project (see below); a PNG becomes a BMP.
      {"picture song.cgp --add good.bmp --line 0 --effect 'Circle out' --store -o t.cgp"},
      {"create t.cgp --total 0:40 -o here.cdg", {"Finished writing"}, "here.cdg"},
      {"picture song.cgp --add logo.png --line 3 -o l.cgp"},
      {"info l.cgp", {"file \"logo.bmp\""}},
      // What an incomplete or partly unreadable file holds is written; without --force the exit
      // status says so (an incomplete file is refused, see the failures).
      {"import cut.cgp --force -o forced.cgp", {"forced.cgp: 3 fields\n"}, "forced.cgp", Project},
      {"import values.cgp -o v1.cgp", {}, "v1.cgp", Project, 1},
      {"import values.cgp --force -o v2.cgp", {}, "v2.cgp", Project},
      {"create cut.cgp --force --total 0:40 -o forced.cdg", {"Finished writing"}, "forced.cdg"},
      {"info cut.cgp --force", {"fields: 3\n"}},
      {"syllables cut.cgp --force -o fs.cgp", {"fs.cgp: 86 fields (83 new)\n"}},
      {"timing cut.cgp --force --keys keys.txt -o ft.cgp", {"ft.cgp: 5 keys, 86 fields"}},
      // "-" writes to standard output (and nothing to the folder, checked below).
      {"frame tiny.cdg --at 0 -o -", {}, "-", Png},
      {"create song.txt --total 0:30 -o -", {}, "-"},
      {"import song.cgp -o -", {"\r\nfield:"}, "-", Project},
  };
  for (const Cli_Run& run : runs) {
    SCOPED_TRACE(run.words);
    const bool to_stdout = run.written && std::string_view(run.written) == "-";
    auto before = folder.Snapshot();
    testing::Command_Result r = folder.Run(run.words, to_stdout ? "/dev/null" : "&1");
    EXPECT_EQ(r.exit_code, run.exit_code) << r.output;
    for (const std::string& said : run.says) EXPECT_THAT(r.output, HasSubstr(said));
    EXPECT_EQ(to_stdout ? folder.Snapshot() : before, before);  // "-" writes nothing to the folder
    if (!run.written) continue;
    const std::string bytes = to_stdout ? r.output : Read_File(folder.Path(run.written));
    if (run.starts) {
      EXPECT_TRUE(bytes.starts_with(run.starts)) << bytes.substr(0, 40);
    } else {
      EXPECT_EQ(bytes.size() % 24, 0u);
      EXPECT_EQ(bytes.size() / (24 * 300 * 30), 1u);  // 30 to 60 s: the total and closing screens
    }
  }
  EXPECT_TRUE(fs::is_symlink(folder.Path("link.cdg")));
  // The demo was saved before some controls existed: its copy gains them, and from then on an
  // import changes nothing.
  const std::string old = Read_File(folder.Path("song.cgp"));
  const std::string copied = Read_File(folder.Path("copy.cgp"));
  EXPECT_EQ(copied.substr(0, old.find("<properties>")), old.substr(0, old.find("<properties>")));
  EXPECT_TRUE(copied.ends_with(old.substr(old.find("\r\nfield:"))));
  EXPECT_EQ(Read_File(folder.Path("copy2.cgp")), copied);
  // Three sectors of the WAV's audio, silenced by --blank-audio.
  const std::string image = Read_File(folder.Path("new.bin"));
  ASSERT_EQ(image.size(), 3u * 2448);
  for (std::size_t sector = 0; sector < 3; ++sector)
    EXPECT_EQ(image.substr(sector * 2448, 2352), std::string(2352, '\0')) << sector;
  // The PNG beside the project as the 24-bit BMP it was made from (the image size may be 0).
  EXPECT_EQ(Read_File(folder.Path("logo.bmp")).replace(34, 4, 4, '\0'),
            Read_File(folder.Path("good.bmp")).replace(34, 4, 4, '\0'));
  // The project with the stored picture gives the same graphics without the BMP (a circle
  // always does; the sweeps' fronts are ragged at random).
  fs::remove(folder.Path("good.bmp"));
  ASSERT_EQ(folder.Run("create t.cgp --total 0:40 -o there.cdg").exit_code, 0);
  EXPECT_TRUE(Read_File(folder.Path("there.cdg")) == Read_File(folder.Path("here.cdg")));
}

/// 1.75 s: a colour table of eight colours, then every 75 packs (0.25 s) a Memory Preset of the
/// next colour.
std::string Stepping_Stream() {
  std::string stream(525 * 24, '\0');
  stream.replace(
      0, 20, "\x09\x1e\0\0\x03\x30\x0b\x10\x12\x30\x1a\x10\x21\x30\x29\x10\x30\x30\x38\x10", 20);
  for (char k = 1; k <= 6; ++k) stream.replace(75 * 24 * k, 5, std::string{9, 1, 0, 0, k});
  return stream;
}

/// Whether image holds frame with its top-left corner within a few pixels of (x, y).
bool Holds_Frame_Near(const QImage& image, const QImage& frame, int x, int y) {
  QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  for (int dy = -20; dy <= 20; ++dy)
    for (int dx = -20; dx <= 20; ++dx)
      if (rgb.copy(x + dx, y + dy, frame.width(), frame.height()) == frame) return true;
  return false;
}

struct Frame_Case {
  const char* words;
  int columns, rows;                      ///< of frames in the picture written
  std::vector<std::array<int, 3>> shown;  ///< the frame after pack p at column c, row r: {p, c, r}
};

TEST(CliRuns, FrameWritesTheStateAfterPackFloorOfTimesThreeHundred) {
  const std::string stream = Stepping_Stream();
  const auto frame = [&](int pack) { return Decode_Frame(testing::Bytes(stream), pack); };
  ASSERT_NE(frame(150), frame(149)) << "the stream must step";
  testing::Cli_Folder folder;
  testing::Write_File(folder.Path("steps.cdg"), stream);
  for (const Frame_Case& c : {Frame_Case{"--at 0.5", 1, 1, {{150, 0, 0}}},
                              {"--at 0.2499", 1, 1, {{74, 0, 0}}},
                              {"--at 1.7466", 1, 1, {{523, 0, 0}}},
                              // 0, 0.5, 1.0, 1.5 s: one row of four.
                              {"--every 0.5", 4, 1, {{0, 0, 0}, {450, 3, 0}}},
                              // 0, 0.25, ..., 1.5 s (1.75 s is the end): rows of five and two.
                              {"--every 0.25", 5, 2, {{300, 4, 0}, {450, 1, 1}}}}) {
    SCOPED_TRACE(c.words);
    testing::Command_Result r =
        folder.Run("frame steps.cdg --yes -o out.png " + std::string(c.words));
    ASSERT_EQ(r.exit_code, 0) << r.output;
    const QImage sheet(QString::fromStdString(folder.Path("out.png")));
    EXPECT_TRUE(c.columns > 1 || sheet.size() == QSize(300, 216)) << "a single frame, no sheet";
    EXPECT_EQ(sheet.width() / 300, c.columns);  // frames of 300 x 216 with gaps and labels
    EXPECT_EQ(sheet.height() / 216, c.rows);
    for (auto [pack, column, row] : c.shown)
      EXPECT_TRUE(Holds_Frame_Near(sheet, frame(pack), sheet.width() * column / c.columns,
                                   sheet.height() * row / c.rows))
          << pack;
  }
}

}  // namespace
}  // namespace lyricanvas
