// lyricanvas-cli as a careless script runs it: special files, outputs that are inputs, existing
// outputs, bad values and bad words. Every failure exits with its status and a message naming the
// file or option, and leaves every file of the folder as it was; so do --help and --version.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli_folder.h"

namespace lyricanvas {
namespace {

using ::testing::HasSubstr;

struct Failure {
  const char* words;
  int exit_code;
  const char* message;
};

const Failure Failures[] = {
    // Inputs that are not regular files or are too large.
    {"create /dev/zero --total 0:30 -o new.cdg", 1,
     "cannot read '/dev/zero': it is a character device, not a regular file"},
    {"frame /dev/zero --at 1 -o new.png", 1, "cannot read '/dev/zero': it is a character device"},
    {"create fifo --total 0:30 -o new.cdg", 1,
     "cannot read 'fifo': it is a FIFO, not a regular file"},
    {"frame fifo --at 1 -o new.png", 1, "cannot read 'fifo': it is a FIFO"},
    {"import fifo -o new.cgp", 1, "cannot read 'fifo': it is a FIFO"},
    {"info fifo", 1, "cannot read 'fifo': it is a FIFO"},
    {"import dir -o new.cgp", 1, "cannot read 'dir': it is a directory, not a regular file"},
    {"create big.txt --total 0:30 -o new.cdg", 1, "'big.txt': it is 64.0 MB (67108865 bytes)"},
    {"import big.kar -o new.cgp", 1, "'big.kar': it is 64.0 MB (67108865 bytes)"},
    {"create song.txt --wav dir -o new.bin", 1, "cannot read 'dir': it is a directory"},
    {"create song.txt --wav fifo -o new.bin", 1, "cannot read 'fifo': it is a FIFO"},
    // Outputs that are special files, inputs or existing files.
    {"create song.txt --total 0:30 -o fifo --yes", 1, "cannot write 'fifo': it is a FIFO"},
    {"import song.txt -o fifo_link --yes", 1, "cannot write 'fifo_link': it is a FIFO"},
    {"frame tiny.cdg --at 0 -o dir --yes", 1, "cannot write 'dir': it is a directory"},
    {"import song.cgp -o song.cgp --yes", 1, "the output 'song.cgp' is the input file"},
    {"import song.cgp -o ./song.cgp --yes", 1, "the output './song.cgp' is the input file"},
    {"frame tiny.cdg --at 0 -o tiny.cdg --yes", 1, "the output 'tiny.cdg' is the input file"},
    {"create song.cgp --total 0:30 -o song.cgp --yes", 1, "the output 'song.cgp' is the input"},
    {"create song.txt --wav short.wav -o short.wav --yes", 1,
     "the output 'short.wav' is the input"},
    {"import song.txt -o out.cdg", 1, "'out.cdg' already exists; give --yes to replace it"},
    {"frame tiny.cdg --at 0 -o old.png", 1, "'old.png' already exists; give --yes"},
    {"create song.txt --total 0:30 -o out.cdg", 1,
     "The file \"out.cdg\" already exists! Do you want to overwrite it? No"},
    {"frame tiny.cdg --at 1 -o old.png --yes", 1, "0:01.00 is past the end"},
    {"syllables song.cgp -o song.cgp --yes", 1, "the output 'song.cgp' is the input file"},
    {"syllables song.cgp -o out.cdg", 1, "'out.cdg' already exists; give --yes"},
    {"timing song.cgp --keys keys.txt -o keys.txt --yes", 1, "is the input file 'keys.txt'"},
    {"timing song.cgp --keys keys.txt -o out.bin", 1, "'out.bin' already exists; give --yes"},
    {"timing song.cgp --keys fifo -o new.cgp", 1,
     "cannot read the key log 'fifo': it is a FIFO, not a regular file"},
    {"timing song.cgp --keys big.txt -o new.cgp", 1,
     "cannot read the key log 'big.txt': it is 64.0 MB (67108865 bytes)"},
    {"picture song.cgp --add fifo --line 1 -o new.cgp", 1, "cannot read 'fifo': it is a FIFO"},
    {"picture song.cgp --add dir --line 1 -o song.cgp --yes", 1,
     "the output 'song.cgp' is the input"},
    // Inputs that cannot be used.
    {"create missing.txt --total 0:30 -o new.cdg", 1, "cannot read 'missing.txt': No such file"},
    {"import none.txt -o new.cgp", 1, "cannot read 'none.txt': No such file or directory"},
    {"frame missing.cdg --at 1 -o new.png", 1, "cannot read 'missing.cdg'"},
    {"syllables missing.txt -o new.cgp", 1, "File 'missing.txt' does not exist!"},
    {"picture song.cgp --add missing.bmp --line 0 -o new.cgp", 1, "cannot read 'missing.bmp'"},
    {"create bad.txt --total 0:30 -o new.cdg", 1, "bad.txt: line 2: a time is malformed"},
    {"info damaged.cgp", 1, "The project file damaged.cgp could not be opened"},
    {"import cut.cgp -o new.cgp", 1, "cut.cgp is incomplete: a field record runs past the end"},
    {"create cut.cgp --total 0:30 -o new.cdg", 1, "(--force opens an incomplete file)"},
    {"info cut.cgp", 1, "cut.cgp is incomplete: a field record runs past the end"},
    {"syllables cut.cgp -o new.cgp", 1, "cut.cgp is incomplete"},
    {"timing cut.cgp --keys keys.txt -o new.cgp", 1, "cut.cgp is incomplete"},
    {"frame short.cdg --at 0 -o new.png", 1, "short.cdg holds no complete CD+G pack (23 bytes)"},
    {"timing song.txt --keys back.log -o new.cgp", 1,
     "the key log 'back.log' is not valid: line 2: the time goes back"},
    {"timing song.txt --keys jump.log -o new.cgp", 1,
     "the key log 'jump.log' is not valid: line 1: unknown key 'jump'"},
    {"picture song.cgp --add bad.txt --line 0 -o new.cgp", 1, "bad.txt is no BMP, PNG or JPEG"},
    {"picture song.cgp --add cut.bmp --line 0 -o new.cgp", 1, "cut.bmp is cut short"},
    {"picture song.cgp --add good.bmp --line 400 -o new.cgp", 1, "lines"},
    {"create song.txt --wav nodata.wav -o new.bin", 1,
     "The WAV file 'nodata.wav' cannot be used: it has no \"data\" chunk!"},
    // The create tab's own checks.
    {"create song.txt --total 0:30", 1, "Please input the filename for the CD+G file!"},
    {"create song.txt -o new.cdg --total 0:30 --minimum-gap 5 --minimum-shown 4", 1,
     "must be greater or equal to the minimum gap for clearing!"},
    // A WAV shorter than one sector.
    {"create song.txt --wav short.wav -o out.bin --yes", 1,
     "its 100 bytes of audio do not fill one sector"},
    // Values.
    {"create song.txt -o new.cdg --silence garbage", 2, "--silence 'garbage' is not a time"},
    {"create song.txt -o new.cdg --silence 1e9", 2, "--silence '1e9' is not a time"},
    {"create song.txt -o new.cdg --silence 100:00", 2, "--silence '100:00' is outside the range"},
    {"create song.txt -o new.cdg --total -5", 2, "--total '-5' is not a time"},
    {"create song.txt -o new.cdg --total -", 2, "--total '-' is not a time"},
    {"create song.txt -o new.cdg --total :", 2, "--total ':' is not a time"},
    {"create song.txt -o new.cdg --total 0", 2, "--total '0' is outside the range above 0:00.00"},
    {"create song.txt -o new.cdg --total 30 --minimum-shown 0,0", 2, "--minimum-shown '0,0'"},
    {"create song.txt -o new.cdg --total 30 --lines 1e3", 2,
     "--lines '1e3' is not a whole number from 1 to 100"},
    {"create song.txt -o new.cdg --total 30 --lines 0", 2, "--lines '0' is not a whole number"},
    {"create song.txt -o new.cdg --total 30 --lines 101", 2, "--lines '101' is not a whole number"},
    {"create song.txt -o new.cdg --total 30 --timebase a=b", 2, "--timebase 'a=b' is not a time"},
    {"create song.txt -o new.cdg --total 30 --timebase 0:10", 2,
     "--timebase '0:10' is not SOURCE=DEST"},
    {"create song.txt -o new.cdg --total 30 --timebase 10=10 --timebase 5=5", 2,
     "--timebase '5=5' is not later than the pair before it in both times"},
    {"create song.txt -o new.cdg --total 30 --timebase 1=1 --timebase 2=1", 2,
     "--timebase '2=1' is not later"},
    {"create song.txt -o new.cdg --total 30 --timebase 1=1 --timebase 2=2 --timebase 3=3 "
     "--timebase 4=4",
     2, "--timebase may be given at most 3 times"},
    {"create song.txt -o new.cdg --total 30 --fading Sparkle", 2,
     "--fading 'Sparkle' is not one of \"Smooth fading\", \"Cheap DVD fading\" or \"None\""},
    {"create song.txt -o new.cdg --total 30 --wiping none", 2, "--wiping 'none' is not one of"},
    {"frame tiny.cdg --at 1e308 -o new.png", 2, "--at '1e308' is not a time"},
    {"frame tiny.cdg --at 1:2:3 -o new.png", 2, "--at '1:2:3' is not a time"},
    {"frame tiny.cdg --at -1 -o new.png", 2, "--at '-1' is not a time"},
    {"frame tiny.cdg --at nan -o new.png", 2, "--at 'nan' is not a time"},
    {"frame tiny.cdg --at '' -o new.png", 2, "--at '' is not a time"},
    {"picture song.cgp --add good.bmp --line 0 --effect Sideways -o new.cgp", 2,
     "--effect 'Sideways' is not one of"},
    {"frame tiny.cdg --every 0 -o new.png", 2, "--every '0' is outside the range"},
    {"frame tiny.cdg --at 0 --every 1 -o new.png", 2, "give either --at TIME or --every TIME"},
    // Words.
    {"create song.txt --frobnicate", 2, "lyricanvas-cli create: Unknown option 'frobnicate'."},
    {"create song.txt -o", 2, "lyricanvas-cli create: Missing value after '-o'."},
    {"create song.txt --yes=1 -o new.cdg", 2, "Unexpected value after '--yes'"},
    {"create -o new.cdg", 2, "no SONG given"},
    {"create song.txt song.cgp -o new.cdg", 2, "more than one SONG given"},
    {"frame tiny.cdg --at 1", 2, "no output file given (-o OUT.png)"},
    {"import song.txt", 2, "no output file given (-o OUT.cgp)"},
    {"import --frobnicate song.txt -o new.cgp", 2, "Unknown option 'frobnicate'"},
    {"info", 2, "no PROJECT given"},
    {"info --text=yes song.cgp", 2, "Unexpected value after '--text'"},
    {"frobnicate", 2, "unknown verb 'frobnicate'"},
    {"syllables song.txt", 2, "no output file given (-o OUT.cgp)"},
    {"syllables -o x.cgp", 2, "lyricanvas-cli syllables: no PROJECT given"},
    {"timing", 2, "lyricanvas-cli timing: no PROJECT given"},
    {"", 2, "usage: lyricanvas-cli VERB [options]"},
    // Answers.
    {"--version", 0, "lyricanvas-cli 1.0.20\n"},
    {"frame --version", 0, "lyricanvas-cli 1.0.20\n"},
    {"--help", 0, "lyricanvas-cli VERB --help lists the options of a verb"},
    {"create --help", 0, "--fading <STYLE>          The fading style: \"Smooth"},
    {"create --help", 0, "\"Draw no outline\""},
    {"create song.txt -o new.cdg --help", 0, "--timebase <SOURCE=DEST>"},
    {"frame --help", 0, "Usage: lyricanvas-cli frame [options] FILE.cdg"},
    {"frame -h", 0, "--every <TIME>"},
    {"import --help", 0, "-o, --output <OUT.cgp>"},
    {"info --help", 0, "--text"},
};

TEST(CliFailures, EachExitsWithItsStatusAndMessageAndTouchesNoFile) {
  for (const Failure& c : Failures) {
    SCOPED_TRACE(c.words);
    testing::Cli_Folder folder;
    auto before = folder.Snapshot();
    testing::Command_Result r = folder.Run(c.words);
    EXPECT_EQ(r.exit_code, c.exit_code) << r.output;
    EXPECT_THAT(r.output, HasSubstr(c.message));
    if (c.exit_code == 2 && std::string_view(c.words).find(' ') != std::string_view::npos) {
      EXPECT_THAT(r.output, HasSubstr("--help lists the options"));
    }
    EXPECT_EQ(folder.Snapshot(), before);
  }
}

}  // namespace
}  // namespace lyricanvas
