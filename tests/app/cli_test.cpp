// lyricanvas-cli run as a script runs it, in a scratch folder of songs, projects whole and cut,
// outputs of earlier runs, key logs, pictures, special files and files too large to read.
// Runs that succeed follow one another, later ones reading what earlier ones wrote. Every
// failure exits with its status and a message naming the file or option, and leaves every file
// of the folder as it was; so do --help and --version. A .bin write killed at any moment leaves
// the old image byte for byte and no other file, whether the new image is written unnamed or
// under a temporary name (as where /proc is missing); so does a full or read-only disk.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QImage>
#include <array>
#include <chrono>
#include <filesystem>
#include <thread>

#include "cdg/cdg_decoder.h"
#include "support/bmp_builder.h"
#include "support/test_support.h"

extern char** environ;

namespace lyricanvas::testing {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

/// A WAV header followed by `audio` bytes of silence; sparse, so it takes no disk space.
inline void Write_Silent_Wav(const std::string& path, std::uint32_t audio) {
  Write_File(path, Wav_Header(audio));
  std::filesystem::resize_file(path, 44 + std::uint64_t{audio});
}

struct Cli_Folder {
  Cli_Folder() {
    Write_File(Path("song.txt"), "# test song\n[2] Hel|lo@1-1.5 there@2-3\n\nbye@5-6\n");
    Write_File(Path("words.txt"), "Wonderful water\nsomething didn't\n");
    Write_File(Path("bad.txt"), "fine@1\noops@\n");
    fs::copy_file(Test_Data("project/cgp/timed_demo.cgp"), Path("song.cgp"));
    const std::string malformed = Test_Data("project/cgp/malformed/");
    fs::copy_file(malformed + "lyrics_cut_inside_a_group.cgp", Path("damaged.cgp"));
    fs::copy_file(malformed + "truncated_in_events.cgp", Path("cut.cgp"));
    Write_File(Path("values.cgp"),
               "{\\rtf1 la}\r\n<properties>\xFE<Chk_Reverse=99><Txt_Silence=3>\r\n");
    fs::copy_file(Test_Data("cdg/wav/no_data_chunk.wav"), Path("nodata.wav"));
    Write_File(Path("tiny.cdg"), std::string(300 * 24, '\0'));  // one second of empty packs
    Write_File(Path("short.cdg"), std::string(23, '\x09'));     // not one whole pack
    Write_Silent_Wav(Path("short.wav"), 100);                   // less than one sector of an image
    Write_File(Path("keys.txt"), "1 press\n1.5 release\n2 skip\n3 press\n3.5 release\n");
    Write_File(Path("back.log"), "1 press\n0.5 release\n");
    Bmp_Shape bmp = Shape(72, 48);
    bmp.color = [](int x, int y) { return Rgb8{x * 3, y * 5, 1}; };
    Write_File(Path("good.bmp"), Make_Bmp(bmp));
    for (const char* name : {"out.cdg", "old.png"}) Write_File(Path(name), "old output");
    // Special files, and a sparse file one byte over 64 MB.
    Run_Command("cd '" + dir.path.string() + "' && mkdir dir && mkfifo fifo && ln -s fifo " +
                "fifo_link && truncate -s 67108865 big.txt");
  }

  /// Every name in the folder with its type, size and link target, and the digest of each
  /// regular file but the large ones.
  std::string Snapshot() const {
    const std::string digests = "md5sum $(find . -type f ! -name 'big*' | sort)";
    return Run_Command("cd '" + dir.path.string() + "' && ls -lA && " + digests).output;
  }

  /// Runs the tool in the folder; a run that blocks is ended after 20 s (exit status 124).
  /// `errors` is where its standard error goes.
  Command_Result Run(const std::string& words, const std::string& errors = "&1") const {
    return Run_Command("cd '" + dir.path.string() + "' && timeout 20 '" LYRICANVAS_CLI "' " +
                       words + " 2>" + errors);
  }

  std::string Path(const std::string& name) const { return dir.File(name); }

  Temp_Dir dir;
};

/// The words of a run that fails (or answers), its exit status and what it says.
const std::tuple<const char*, int, const char*> Failures[] = {
    // Inputs that are not regular files or are too large.
    {"create /dev/zero -o x.cdg", 1, "cannot read '/dev/zero': it is a character device, not a"},
    {"frame fifo --at 1 -o x.png", 1, "cannot read 'fifo': it is a FIFO"},
    {"import fifo -o x.cgp", 1, "cannot read 'fifo': it is a FIFO, not a regular file"},
    {"import dir -o x.cgp", 1, "cannot read 'dir': it is a directory, not a regular file"},
    {"create big.txt -o x.cdg", 1, "'big.txt': it is 64.0 MB (67108865 bytes)"},
    {"create song.txt --wav fifo -o x.bin", 1, "cannot read 'fifo': it is a FIFO"},
    {"timing song.cgp --keys fifo -o x.cgp", 1, "cannot read the key log 'fifo': it is a FIFO"},
    {"timing song.cgp --keys big.txt -o x.cgp", 1, "key log 'big.txt': it is 64.0 MB"},
    {"picture song.cgp --add fifo --line 1 -o x.cgp", 1, "cannot read 'fifo': it is a FIFO"},
    // Outputs that are special files, inputs or existing files: one row per verb.
    {"import song.txt -o fifo_link --yes", 1, "cannot write 'fifo_link': it is a FIFO, not a"},
    {"import song.cgp -o ./song.cgp --yes", 1, "'./song.cgp' is the input file 'song.cgp' itself"},
    {"create song.txt --wav short.wav -o short.wav --yes", 1, "the output 'short.wav' is the in"},
    {"create song.txt --total 30 -o out.cdg", 1, "\"out.cdg\" already exists! Do you want to"},
    {"frame tiny.cdg --at 0 -o old.png", 1, "'old.png' already exists; give --yes to replace it"},
    {"syllables song.cgp -o out.cdg", 1, "'out.cdg' already exists; give --yes"},
    {"timing song.cgp --keys keys.txt -o keys.txt --yes", 1, "is the input file 'keys.txt'"},
    {"picture song.cgp --add dir --line 1 -o song.cgp --yes", 1, "the output 'song.cgp' is the"},
    // Inputs that cannot be used.
    {"import none.txt -o x.cgp", 1, "cannot read 'none.txt': No such file or directory"},
    {"syllables missing.txt -o x.cgp", 1, "File 'missing.txt' does not exist!"},
    {"create bad.txt -o x.cdg", 1, "bad.txt: line 2: a time is malformed"},
    {"info damaged.cgp", 1, "The project file damaged.cgp could not be opened"},
    {"import cut.cgp -o x.cgp", 1, "cut.cgp is incomplete: a field record runs past the end"},
    {"create cut.cgp -o x.cdg", 1, "(--force opens an incomplete file)"},
    {"info cut.cgp", 1, "cut.cgp is incomplete"},
    {"syllables cut.cgp -o x.cgp", 1, "cut.cgp is incomplete"},
    {"timing cut.cgp --keys keys.txt -o x.cgp", 1, "cut.cgp is incomplete"},
    {"frame short.cdg --at 0 -o x.png", 1, "short.cdg holds no complete CD+G pack (23 bytes)"},
    {"frame tiny.cdg --at 1 -o old.png --yes", 1, "0:01.00 is past the end"},
    {"timing song.txt --keys back.log -o x.cgp", 1, "is not valid: line 2: the time goes back"},
    {"picture song.cgp --add bad.txt --line 0 -o x.cgp", 1, "bad.txt is no BMP, PNG or JPEG"},
    {"picture song.cgp --add good.bmp --line 400 -o x.cgp", 1, "lines"},
    {"create song.txt --wav nodata.wav -o x.bin", 1, "cannot be used: it has no \"data\" chunk!"},
    {"create song.txt --wav short.wav -o x.bin", 1, "100 bytes of audio do not fill one sector"},
    // The create tab's own checks.
    {"create song.txt --total 0:30", 1, "Please input the filename for the CD+G file!"},
    {"create song.txt -o x.cdg --total 30 --minimum-gap 5 --minimum-shown 4", 1,
     "must be greater or equal to the minimum gap for clearing!"},
    // Values.
    {"create song.txt --silence garbage", 2, "--silence 'garbage' is not a time"},
    {"create song.txt --total :", 2, "--total ':' is not a time"},
    {"create song.txt --silence 100:00", 2,
     "--silence '100:00' is outside the range from 0:00.00 to below 100:00.00"},
    {"create song.txt --total 0", 2, "--total '0' is outside the range above 0:00.00"},
    {"create song.txt --minimum-shown 0,0", 2, "--minimum-shown '0,0'"},
    {"create song.txt --lines 1e3", 2, "--lines '1e3' is not a whole number from 1 to 100"},
    {"create song.txt --lines 0", 2, "--lines '0' is not a whole number"},
    {"create song.txt --lines 101", 2, "--lines '101' is not a whole number"},
    {"create song.txt --timebase a=b", 2, "--timebase 'a=b' is not a time"},
    {"create song.txt --timebase 0:10", 2, "--timebase '0:10' is not SOURCE=DEST"},
    {"create song.txt --timebase 10=10 --timebase 5=5", 2,
     "--timebase '5=5' is not later than the pair before it in both times"},
    {"create song.txt --timebase 1=1 --timebase 2=1", 2, "--timebase '2=1' is not later"},
    {"create song.txt --timebase 1=1 --timebase 2=2 --timebase 3=3 --timebase 4=4", 2,
     "--timebase may be given at most 3 times"},
    {"create song.txt --fading Sparkle", 2,
     "--fading 'Sparkle' is not one of \"Smooth fading\", \"Cheap DVD fading\" or \"None\""},
    {"frame tiny.cdg --at -1 -o x.png", 2, "--at '-1' is not a time"},
    {"frame tiny.cdg --every 0 -o x.png", 2, "--every '0' is outside the range"},
    {"frame tiny.cdg --at 0 --every 1 -o x.png", 2, "give either --at TIME or --every TIME"},
    {"picture song.cgp --add a --line 0 --effect Sideways -o x.cgp", 2, "'Sideways' is not one of"},
    // Words.
    {"create song.txt --frobnicate", 2, "lyricanvas-cli create: Unknown option 'frobnicate'."},
    {"create -o x.cdg", 2, "no SONG given"},
    {"create song.txt song.cgp -o x.cdg", 2, "more than one SONG given"},
    {"frame tiny.cdg --at 1", 2, "no output file given (-o OUT.png)"},
    {"import song.txt", 2, "no output file given (-o OUT.cgp)"},
    {"info", 2, "no PROJECT given"},
    {"syllables song.txt", 2, "no output file given (-o OUT.cgp)"},
    {"syllables -o x.cgp", 2, "lyricanvas-cli syllables: no PROJECT given"},
    {"timing", 2, "lyricanvas-cli timing: no PROJECT given"},
    {"frobnicate", 2, "unknown verb 'frobnicate'"},
    {"", 2, "usage: lyricanvas-cli VERB [options]"},
    // Answers.
    {"--version", 0, "lyricanvas-cli 1.0.20\n"},
    {"frame --version", 0, "lyricanvas-cli 1.0.20\n"},
    {"--help", 0, "lyricanvas-cli VERB --help lists the options of a verb"},
    {"create song.txt -o x.cdg --help", 0, "--fading <STYLE>          The fading style: \"Smooth"},
    {"frame -h", 0, "Usage: lyricanvas-cli frame [options] FILE.cdg"},
};

TEST(CliFailures, EachExitsWithItsStatusAndMessageAndTouchesNoFile) {
  for (auto [words, exit_code, message] : Failures) {
    SCOPED_TRACE(words);
    Cli_Folder folder;
    auto before = folder.Snapshot();
    Command_Result r = folder.Run(words);
    EXPECT_EQ(r.exit_code, exit_code) << r.output;
    EXPECT_THAT(r.output, HasSubstr(message));
    const bool verb_usage =
        exit_code == 2 && std::string_view(words).find(' ') != std::string_view::npos;
    EXPECT_THAT(r.output, HasSubstr(verb_usage ? "--help lists the options" : ""));
    EXPECT_EQ(folder.Snapshot(), before);
  }
}

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
  Cli_Folder folder;
  fs::create_symlink("out.cdg", folder.Path("link.cdg"));           // followed, its target replaced
  fs::copy_file(folder.Path("song.cgp"), folder.Path("Song.Cgp"));  // extensions in any case
  const QImage good(QString::fromStdString(folder.Path("good.bmp")));
  ASSERT_TRUE(good.save(QString::fromStdString(folder.Path("logo.png"))));
  const std::string wav = Test_Data("cdg/wav/three_sectors_and_a_bit.wav");
  const Cli_Run runs[] = {
      {"import words.txt -o words.cgp", {"words.cgp: 0 fields\n"}, "words.cgp", Project},
      {"import song.cgp -o copy.cgp"},  // compared below
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
    Command_Result r = folder.Run(run.words, to_stdout ? "/dev/null" : "&1");
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
  // The demo was saved before some controls existed: its copy keeps its lyrics and fields.
  const std::string old = Read_File(folder.Path("song.cgp"));
  const std::string copied = Read_File(folder.Path("copy.cgp"));
  EXPECT_EQ(copied.substr(0, old.find("<properties>")), old.substr(0, old.find("<properties>")));
  EXPECT_TRUE(copied.ends_with(old.substr(old.find("\r\nfield:"))));
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

TEST(CliRuns, FrameWritesTheStateAfterPackFloorOfTimesThreeHundred) {
  const std::string stream = Stepping_Stream();
  const auto frame = [&](int pack) { return Decode_Frame(Bytes(stream), pack); };
  Cli_Folder folder;
  Write_File(folder.Path("steps.cdg"), stream);
  // The words, the columns and rows of frames in the picture written, and frames it shows: the
  // frame after pack p at column c, row r as {p, c, r}.
  using Shown = std::vector<std::array<int, 3>>;
  for (const auto& [words, columns, rows, shown] :
       std::vector<std::tuple<const char*, int, int, Shown>>{
           {"--at 0.5", 1, 1, {{150, 0, 0}}},
           {"--at 0.2499", 1, 1, {{74, 0, 0}}},
           {"--at 1.7466", 1, 1, {{523, 0, 0}}},
           // 0, 0.5, 1.0, 1.5 s: one row of four.
           {"--every 0.5", 4, 1, {{0, 0, 0}, {450, 3, 0}}},
           // 0, 0.25, ..., 1.5 s (1.75 s is the end): rows of five and two.
           {"--every 0.25", 5, 2, {{300, 4, 0}, {450, 1, 1}}}}) {
    SCOPED_TRACE(words);
    Command_Result r = folder.Run("frame steps.cdg --yes -o out.png " + std::string(words));
    ASSERT_EQ(r.exit_code, 0) << r.output;
    const QImage sheet(QString::fromStdString(folder.Path("out.png")));
    EXPECT_TRUE(columns > 1 || sheet.size() == QSize(300, 216)) << "a single frame, no sheet";
    EXPECT_EQ(sheet.width() / 300, columns);  // frames of 300 x 216 with gaps and labels
    EXPECT_EQ(sheet.height() / 216, rows);
    for (auto [pack, column, row] : shown)
      EXPECT_TRUE(Holds_Frame_Near(sheet, frame(pack), sheet.width() * column / columns,
                                   sheet.height() * row / rows))
          << pack;
  }
}

/// Whether this system lets a process have mounts of its own, for a tmpfs over /proc or a disk.
bool Own_Mounts_Allowed() { return Run_Command("unshare -rm true 2>/dev/null").exit_code == 0; }

/// Starts a .bin write of the tool in the folder, its output silenced; with `hide_proc` under a
/// tmpfs over /proc. The shells exec, so the process is the tool.
pid_t Start_Bin_Write(const std::string& folder, bool hide_proc) {
  std::string run = "cd " + folder +
                    " && exec '" LYRICANVAS_CLI
                    "' create song.txt --wav song.wav -o out/song.bin --yes >/dev/null 2>&1";
  if (hide_proc) run = "exec unshare -rm sh -c \"mount -t tmpfs none /proc && " + run + "\"";
  const char* argv[] = {"sh", "-c", run.c_str(), nullptr};
  pid_t pid = -1;
  posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ);
  return pid;
}

/// A signal and when it comes: after the write began, or when negative after the start.
const std::pair<int, std::chrono::milliseconds> Moments[] = {
    {SIGKILL, -1ms}, {SIGKILL, 0ms},   {SIGKILL, 30ms}, {SIGKILL, 100ms}, {SIGTERM, 0ms},
    {SIGTERM, 30ms}, {SIGTERM, 100ms}, {SIGINT, 30ms},  {SIGHUP, 30ms}};

TEST(CliKill, AKilledBinWriteLeavesTheOldImageAndNothingElse) {
  Cli_Folder folder;
  const fs::path& dir = folder.dir.path;
  Write_Silent_Wav(folder.Path("song.wav"), 20 * 60 * 176400);  // an image of ~215 MB
  const std::string image = folder.Path("out/song.bin"), old_image(100000, 'o');
  ASSERT_EQ(folder.Run("create song.txt --wav song.wav -o whole.bin").exit_code, 0);
  for (bool hide_proc : {false, true}) {
    if (hide_proc && !Own_Mounts_Allowed()) GTEST_SKIP() << "no mount namespaces here";
    int killed_while_writing = 0;
    for (auto [signal_number, after] : Moments) {
      // After SIGKILL nothing can remove a named temporary file.
      if (hide_proc && signal_number == SIGKILL) continue;
      SCOPED_TRACE(std::to_string(signal_number) + " at " + std::to_string(after.count()) + " ms" +
                   (hide_proc ? ", no /proc" : ""));
      fs::remove_all(dir / "out");
      fs::create_directory(dir / "out");
      Write_File(image, old_image);
      pid_t pid = Start_Bin_Write(dir.string(), hide_proc);
      ASSERT_GT(pid, 0);
      // Until the tool holds a file of out/ open, as it does while writing into it.
      const std::string wait = "timeout 60 sh -c 'until ls -l /proc/" + std::to_string(pid) +
                               "/fd 2>/dev/null | grep -q out/; do sleep 0.001; done'";
      const bool writing = after < 0ms || Run_Command(wait).exit_code == 0;
      std::this_thread::sleep_for(std::max(after, 0ms));
      int status = 0;
      if (::waitpid(pid, &status, WNOHANG) == 0) {  // a fast machine may have finished already
        ::kill(pid, signal_number);
        ::waitpid(pid, &status, 0);
      }
      const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == signal_number;
      const bool kept = Read_File(image) == old_image;
      EXPECT_TRUE(writing);
      EXPECT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0));
      EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), {}), 1);
      // Killed before the image was linked into place: the old one; after: the whole new one.
      EXPECT_TRUE(kept ||
                  Run_Command("cmp -s " + image + " " + folder.Path("whole.bin")).exit_code == 0);
      killed_while_writing += killed && kept;
    }
    EXPECT_GE(killed_while_writing, 1) << "no kill came while the image was being written";
  }
}

TEST(CliDiskRefusals, AFullOrReadOnlyDiskIsNamedAndTheOldFileKept) {
  if (!Own_Mounts_Allowed()) GTEST_SKIP() << "no mount namespaces here";
  Cli_Folder folder;
  Write_Silent_Wav(folder.Path("song.wav"), 10 * 176400);
  fs::create_directory(folder.Path("disk"));
  // The disk holds three old files of 100 kB and has no room for more; "ro" makes it read-only.
  for (auto [mount_options, words, message] : std::vector<std::array<const char*, 3>>{
           {"rw", "create song.txt --wav song.wav -o disk/a.bin --yes",
            "Cannot write 'disk/a.bin': the disk is full (No space left on device)"},
           {"rw", "create song.txt --total 30 -o disk/a.cdg --yes",
            "'disk/a.cdg': the disk is full"},
           {"rw", "frame disk/a.cdg --at 0 -o disk/a.png --yes", "'disk/a.png': the disk is full"},
           {"ro", "create song.txt --wav song.wav -o disk/a.bin --yes",
            "Cannot create 'disk/a.bin': Read-only file system"},
           {"ro", "import song.txt -o disk/song.cgp", "as disk/song.cgp: Read-only file system"},
           {"ro", "frame disk/a.cdg --at 0 -o disk/f.png",
            "'disk/f.png': Read-only file system"}}) {
    SCOPED_TRACE(words);
    const std::string script =
        "cd " + folder.dir.path.string() + " && mount -t tmpfs -o size=300k tmpfs disk && " +
        "for f in a.bin a.cdg a.png; do head -c 100000 /dev/zero > disk/$f; done; " +
        "mount -o remount," + mount_options + " disk && \"" LYRICANVAS_CLI "\" " + words +
        "; echo exit=$?; ls -A disk | tr \"\\n\" \" \"; echo; " +
        "[ \"$(cat disk/* | md5sum)\" = \"$(head -c 300000 /dev/zero | md5sum)\" ] && echo kept";
    const std::string output = Run_Command("unshare -rm sh -c '" + script + "' 2>&1").output;
    EXPECT_THAT(output, HasSubstr(message));
    EXPECT_THAT(output, HasSubstr("exit=1"));
    EXPECT_THAT(output, HasSubstr("\na.bin a.cdg a.png \nkept"));
  }
}

}  // namespace
}  // namespace lyricanvas::testing
