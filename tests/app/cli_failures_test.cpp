// lyricanvas-cli as a careless script runs it. Every failure exits with its status and a message
// naming the file or option, and leaves every file of the folder as it was; so do --help and
// --version. A check the verbs share has one row per message and one per verb wired to it.
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
  for (const Failure& c : Failures) {
    SCOPED_TRACE(c.words);
    testing::Cli_Folder folder;
    auto before = folder.Snapshot();
    testing::Command_Result r = folder.Run(c.words);
    EXPECT_EQ(r.exit_code, c.exit_code) << r.output;
    EXPECT_THAT(r.output, HasSubstr(c.message));
    const std::string_view words = c.words;
    const bool verb_usage = c.exit_code == 2 && words.find(' ') != words.npos;
    EXPECT_THAT(r.output, HasSubstr(verb_usage ? "--help lists the options" : ""));
    EXPECT_EQ(folder.Snapshot(), before);
  }
}

}  // namespace
}  // namespace lyricanvas
