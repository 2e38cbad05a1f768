#include "project/project_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTextBlock>
#include <QTextCursor>
#include <csignal>
#include <filesystem>

#include "project_test_support.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Le;
using testing::Read_File;
using testing::Recording_Ui;
using testing::Temp_Dir;
using testing::Write_File;

std::string Picture_Record(const std::string& file) {
  return std::string(1, Picture_Record_Mark) + "<Appearance_effect=Circle out><filename=" + file +
         "><along_with_lyrics=1><hold_time=5>";
}

/// A song with every kind of character RTF needs escaped (the code page's own, others as Unicode,
/// RTF's specials), an empty line in its own format, fonts, singers, alignments, two stored
/// pictures and fields out of text order, whose events hold every byte from 1 to 252.
void Fill_Song(Song& song) {
  song.RTB_Raw.Set_Text(QString::fromUtf8(
      "Hello w\xc3\xb6rld {braces} back\\slash \\par \\object\t\xe2\x82\xac\xe2\x80\x9ehi"
      "\xe2\x80\x9c \xe2\x80\x93\r\n\r\n\xe4\xb8\xad\xe6\x96\x87 \xed\x95\x9c\xea\xb8\x80 "
      "\xf0\x9f\x8e\xa4 x\xe2\x80\xa8y\r\nRight <properties> <properties>"));
  song.RTB_Raw.Insert_Picture(
      5, {testing::Image_Bytes("BMP", 6, 4, qRgb(0, 0, 255)), "/songs/a {red} \u00e9.bmp"});
  song.RTB_Raw.Insert_Picture(69, {testing::Image_Bytes("BMP", 2, 3, qRgb(10, 200, 30)), ""});
  song.RTB_Raw.Set_Font_Name(0, 5, "DejaVu Sans");
  song.RTB_Raw.Set_Font_Size(0, 5, 28);
  song.RTB_Raw.Set_Font_Name(57, 2, "Caf\u00e9; Sans");
  song.RTB_Raw.Set_Bold(7, 5, true);
  song.RTB_Raw.Set_Italic(13, 8, true);
  song.RTB_Raw.Set_Underline(22, 4, true);
  song.RTB_Raw.Set_Color(0, 5, song.Singers[2].Text_Color);
  song.RTB_Raw.Set_Color(13, 8, song.Singers[3].Text_Color);
  song.RTB_Raw.Set_Alignment(57, 0, Align_Center);
  song.RTB_Raw.Set_Alignment(72, 0, Align_Right);
  QTextCharFormat empty_line;
  empty_line.setFontPointSize(30);
  QTextCursor(song.RTB_Raw.Qt().findBlockByNumber(1)).setBlockCharFormat(empty_line);
  std::string all_bytes;
  for (int b = 1; b <= 252; ++b) all_bytes += static_cast<char>(b);
  song.Fields[1] = {8, 12, all_bytes};
  song.Fields[2] = {1, 5, Encode_Event(1, 0) + Encode_Event(250, 15'624'999)};
  song.Fields[3] = {70, 70, Picture_Record("/songs/b.bmp")};
  song.Fields[4] = {14, 21, "\r\n:,field:\r\n\r\n"};
  song.Fields[5] = {0, 0, ""};    // left out
  song.Fields[6] = {57, 58, ""};  // untimed
  song.Fields[7] = {6, 6, Picture_Record("/songs/a.bmp")};
  song.Field_Count = 7;
}

void Expect_Same_Fields(const Song& a, const Song& b) {
  ASSERT_EQ(a.Field_Count, b.Field_Count);
  for (int f = 1; f <= a.Field_Count; ++f) EXPECT_EQ(a.Fields[f], b.Fields[f]) << "field " << f;
}

struct Saved_Project {
  Temp_Dir dir;
  Recording_Ui recorder;
  Ui ui = recorder.ui();
  Song song;

  std::string Save(const std::string& name = "song.cgp") {
    song.Project_File = dir.File(name);
    EXPECT_TRUE(Save_Project(song, ui)) << (recorder.messages.empty() ? "" : recorder.messages[0]);
    return song.Project_File;
  }
};

// The saved file is pinned whole by its golden (its lyrics' RTF, every control off its default
// with text the code page holds, the palette, the records in text order); reopened, the project
// saves to the same bytes, so nothing was lost or changed by reading it.
TEST(ProjectFile, SavedFileMatchesItsGoldenAndReopensToTheSameBytes) {
  Saved_Project p;
  std::string audio = p.dir.File("song.wav");
  Write_File(audio, "RIFF");
  Fill_Song(p.song);
  for (const Control& c : p.song.Window_Controls.All()) {
    Control& control = *p.song.Window_Controls.Find(c.Name, c.Index);
    if (control.Kind == Control_Kind::Text)
      control.Value = "v_" + Controls::Key(control) + " \xC3\xA4\xE2\x82\xAC";
    else if (control.Kind == Control_Kind::Combo)
      control.Value = control.Items.empty() ? "DejaVu Serif" : control.Items.back();
    else  // a check box: no default is 2
      control.Value = "2";
  }
  p.song.Window_Controls.Set_Text("txt_Filename", 0, audio);
  p.song.Window_Controls.Set_Check("Chk_Store_Pictures", 1);
  for (int i = 0; i < 16; ++i) p.song.Palette[i] = {i, 15 - i, i / 2, 3};
  const std::string bytes = Read_File(p.Save());
  testing::Expect_Golden("project/golden/rich.cgp", bytes, p.dir.path.string());
  Song reopened;
  ASSERT_TRUE(Open_Project(reopened, p.song.Project_File, p.ui));
  EXPECT_TRUE(p.recorder.messages.empty()) << p.recorder.messages[0];
  EXPECT_EQ(testing::First_Difference(Project_File_Bytes(reopened, p.ui), bytes),
            std::string::npos);
  EXPECT_EQ(reopened.Palette_RGB[1], qRgb(14 * 17, 0, 3 * 17));
}

// Pictures that are not stored leave a space in the file and are loaded again from their files;
// one whose file has gone, or is no file, clears its field with a message.
TEST(ProjectFile, UnstoredPicturesComeBackFromTheirFiles) {
  Saved_Project p;
  const std::string file = p.dir.File("blue.bmp"),
                    bmp = testing::Image_Bytes("BMP", 6, 4, qRgb(0, 0, 255));
  Write_File(file, bmp);
  p.song.RTB_Raw.Set_Text("ab cd ef");
  for (int at : {2, 6})
    p.song.RTB_Raw.Insert_Picture(at, Embedded_Picture{bmp, QString::fromStdString(file)});
  p.song.Fields[1] = {3, 3, Picture_Record(file)};
  p.song.Fields[2] = {7, 7, Picture_Record(file)};
  p.song.Fields[3] = {9, 10, Encode_Event(1, 10)};
  p.song.Field_Count = 3;
  p.song.Window_Controls.Set_Check("Chk_Store_Pictures", 0);
  std::string path = p.Save();
  EXPECT_EQ(p.song.RTB_Raw.Picture_Count(), 2) << "saving must not touch the lyrics";
  Song reopened;
  ASSERT_TRUE(Open_Project(reopened, path, p.ui));
  EXPECT_EQ(reopened.RTB_Raw.Text(), p.song.RTB_Raw.Text());
  ASSERT_EQ(reopened.RTB_Raw.Picture_Count(), 2);
  EXPECT_EQ(reopened.Picture_Count, 2);
  EXPECT_EQ(reopened.RTB_Raw.Picture(0)->Bytes, bmp);
  Expect_Same_Fields(p.song, reopened);
  std::filesystem::remove(file);
  Song without;
  ASSERT_TRUE(Open_Project(without, path, p.ui));
  EXPECT_EQ(p.recorder.messages,
            std::vector<std::string>(2, file + " could not be loaded - file is not present!"));
  std::filesystem::create_directory(file);  // a name that is there but is no picture
  p.recorder.messages.clear();
  ASSERT_TRUE(Open_Project(without, path, p.ui));
  EXPECT_EQ(p.recorder.messages[0],
            file + " could not be loaded - it is a directory, not a regular file!");
  EXPECT_TRUE(Is_Empty(without.Fields[1]) && Is_Empty(without.Fields[2]));
  EXPECT_EQ(without.Fields[3], p.song.Fields[3]);
  EXPECT_EQ(without.Field_Count, 3);
}

std::string Record(int first, int last, const std::string& events) {
  return "field:" + std::to_string(first) + "," + std::to_string(last) + "," +
         std::to_string(events.size()) + ":" + events + "\r\n\r\n";
}

const std::string Props = "<properties>\xFE<Txt_Silence=7><color_3_1=9>\r\n";

// Without records everything after the mark is properties; plain text opens as the lyrics and
// leaves the controls as they were.
TEST(ProjectFileReading, FilesWithoutRecords) {
  Temp_Dir dir;
  for (const char* name : {"props.txt", "words.txt"}) {
    const bool project = std::string(name) == "props.txt";
    Write_File(dir.File(name), project ? "la la\r\n" + Props : "First\nZweite \xC3\xBC\r\nthird");
    Song song;
    song.Window_Controls.Set_Text("Txt_Silence", "3");
    Recording_Ui r;
    ASSERT_TRUE(Open_Project(song, dir.File(name), r.ui()));
    EXPECT_EQ(song.RTB_Raw.Text(),
              project ? "la la" : QString::fromUtf8("First\r\nZweite ü\r\nthird"));
    EXPECT_EQ(song.Text_Length, song.RTB_Raw.Length());
    EXPECT_EQ(song.Field_Count, 0);
    EXPECT_EQ(song.Window_Controls.Text("Txt_Silence"), project ? "7" : "3");
    EXPECT_EQ(song.Palette[3][1], project ? 9 : Song().Palette[3][1]);
    EXPECT_TRUE(r.messages.empty()) << name;
  }
}

TEST(ProjectFileReading, RecordRulesLengthZeroOldPictureFormAndAnchoring) {
  Song song;
  Recording_Ui r;
  std::string error;
  std::string old_picture = "\xFB<Appearance_effect=Oval out><filename=x.bmp>";
  std::string bytes = "ab cd  e\r\n" + Props + Record(1, 2, "") +
                      Record(3, 3, old_picture) +              // on a space: kept
                      Record(5, 5, Picture_Record("y.bmp")) +  // next one: moved
                      Record(1, 1, Picture_Record("z.bmp")) +  // no space: dropped
                      Record(4, 5, Encode_Event(1, 2));        // reuses the slot
  ASSERT_EQ(Read_Project_File(song, bytes, error, r.ui()), Read_Status::Complete) << error;
  ASSERT_EQ(song.Field_Count, 4);
  EXPECT_EQ(song.Fields[1], (Field_Rec{1, 2, ""}));
  EXPECT_EQ(song.Fields[2], (Field_Rec{3, 3, Picture_Record_Mark + old_picture.substr(1)}));
  EXPECT_EQ(song.Fields[3], (Field_Rec{6, 6, Picture_Record("y.bmp")}));
  EXPECT_EQ(song.Fields[4], (Field_Rec{4, 5, Encode_Event(1, 2)}));
  // Without stored pictures nothing is anchored.
  bytes =
      "abc\r\n<properties>\xFE<Chk_Store_Pictures=0>\r\n" + Record(2, 2, Picture_Record("p.bmp"));
  ASSERT_EQ(Read_Project_File(song, bytes, error, r.ui()), Read_Status::Complete);
  EXPECT_EQ(song.Fields[1].First_Char, 2);
}

TEST(ProjectFileReading, APictPictureKeepsTheFieldsAfterItOnTheirWords) {
  QByteArray png = QByteArray::fromStdString(testing::Image_Bytes("PNG", 6, 4, qRgb(0, 0, 255)));
  // "one ", the picture, " two": the word after the picture starts at position 7.
  std::string bytes = "{\\rtf1 one {\\*\\shppict{\\pict\\pngblip " + png.toHex().toStdString() +
                      "}} two}\r\n<properties>\xFE<Chk_Store_Pictures=1>\r\n" +
                      Record(1, 3, Encode_Event(1, 30)) + Record(7, 9, Encode_Event(1, 60));
  Saved_Project p;
  std::string path = p.dir.File("pict.cgp");
  Write_File(path, bytes);
  ASSERT_EQ(Open_Project_File(p.song, path, p.ui), Read_Status::Complete);
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(p.song.Field_Count, 2);
    EXPECT_EQ(testing::Field_Text(p.song, 1), "one") << "round " << round;
    EXPECT_EQ(testing::Field_Text(p.song, 2), "two") << "round " << round;
    EXPECT_EQ(p.song.RTB_Raw.Picture_Count(), 1);
    Song reopened;
    ASSERT_EQ(Open_Project_File(reopened, p.Save("again.cgp"), p.ui), Read_Status::Complete);
    p.song = reopened;
  }
  EXPECT_TRUE(p.recorder.messages.empty());
}

/// An older project assembled byte by byte; positions are 1-based as in the layout.
struct Old_File {
  std::string bytes = "\x84";
  void Put(std::size_t position, const std::string& data) {
    bytes.resize(std::max(bytes.size(), position - 1 + data.size()), '\0');
    bytes.replace(position - 1, data.size(), data);
  }
  void U16(std::size_t position, int value) {
    Put(position, {static_cast<char>(value & 255), static_cast<char>(value >> 8)});
  }
};

TEST(OldProjectLayout, TextRunsFontsParagraphsPicturesAndEvents) {
  Temp_Dir dir;
  std::string bmp = dir.File("old.bmp");
  Write_File(bmp, testing::Image_Bytes("BMP", 6, 4, qRgb(9, 9, 9)));
  const std::string text = std::string("ab\n\x01") + "cd";  // a line break and a picture
  const std::size_t a = text.size();
  Old_File f;
  f.U16(15, static_cast<int>(a));  // 32-bit text length (high half zero)
  f.Put(19, text);
  // Counts: format runs, fonts, paragraph runs, paragraph formats, pictures.
  f.Put(a + 24, Le(3, 2) + Le(2, 2) + Le(1, 2) + Le(1, 2) + Le(1, 2));
  auto run = [&](int i, int font, int first, int count, std::string rgb, int field) {
    std::size_t at = a + 20 + 20 * i;
    f.U16(at + 2, font);
    f.U16(at + 4, first);
    f.U16(at + 6, count);
    f.Put(at + 10, rgb);
    f.U16(at + 14, field);
  };
  run(1, 1, 1, 2, std::string("\x00\x80\x80", 3), 1);  // "ab", singer 2, field 1
  run(2, 2, 5, 2, std::string("\x80\x00\x80", 3), 2);  // "cd", singer 3, field 2
  run(3, 1, 4, 1, std::string("\x00\x00\x00", 3), 3);  // the picture, field 3
  const std::size_t b = a + 40 + 20 * 3;
  f.U16(b + 2, 65536 - 20 * 20);  // 20 pt
  f.Put(b + 10, "\x90");          // 144: normal weight
  f.Put(b + 20, std::string("DejaVu Sans") + '\0');
  f.U16(b + 50 + 2, 65536 - 12 * 20);  // 12 pt
  f.Put(b + 50 + 10, "\xBC");          // bold
  f.Put(b + 50 + 20, std::string("DejaVu Serif") + '\0');
  const std::size_t runs = b + 100 + 2;
  f.U16(runs, 1);               // format 1 ...
  f.U16(runs + 2, 5);           // ... from stored character 5 (line 2)
  f.Put(runs + 6 + 1, "\x80");  // format 1: centred
  const std::size_t picture = runs + 6 + 62;
  f.Put(picture + 44, bmp + '\0');
  std::size_t events = picture + 44 + bmp.size() + 1;
  auto record = [&](int field, const std::string& data) {
    f.U16(events, field);
    f.U16(events + 10, static_cast<int>(data.size()));
    f.Put(events + 14, data);
    events += 14 + data.size();
  };
  const std::string timing = Encode_Event(1, 30) + Encode_Event(250, 13 + 250 * 10);
  record(1, timing);
  record(2, Encode_Event(1, 99) + "\xFE<Txt_Silence=3><Txt_TotalTime=Caf\xE9>");
  record(3, "<Appearance_effect=Circle out><filename=C:\\old.bmp>");
  f.U16(events, 0);

  // Opened and saved: the golden shows the text with its picture, the runs' fonts and colours,
  // the centred second line, the fields and the properties carried by record 2.
  const std::string path = dir.File("old.cgp");
  Write_File(path, f.bytes);
  Song song;
  Recording_Ui r;
  ASSERT_TRUE(Open_Project(song, path, r.ui()));
  EXPECT_TRUE(r.messages.empty());
  EXPECT_EQ(song.Window_Controls.Text("Txt_TotalTime"), "Caf\xC3\xA9");  // read as Windows-1252
  testing::Expect_Golden("project/golden/old_layout.cgp", Project_File_Bytes(song, r.ui()),
                         dir.path.string());
}

/// A loaded project that a damaged file is opened over.
struct Loaded_Project : Saved_Project {
  Song before;
  Loaded_Project() {
    Fill_Song(song);
    song.Window_Controls.Set_Text("Txt_Silence", "9");
    song.Project_File = "/somewhere/current.cgp";
    before = song;
  }
  void Expect_Unchanged(const std::string& what) {
    EXPECT_EQ(song.RTB_Raw.Text(), before.RTB_Raw.Text()) << what;
    Expect_Same_Fields(before, song);
    EXPECT_EQ(song.Window_Controls, before.Window_Controls) << what;
    EXPECT_EQ(song.Project_File, before.Project_File) << what;
    EXPECT_EQ(song.Palette, before.Palette) << what;
  }
};

// A file that cannot be read is refused with one message; one that ends early asks whether to
// open what was read, saying how many field records that is: No leaves the loaded project as it
// was, Yes opens the file. A file cut after a whole record opens quietly.
TEST(DamagedProjects, FilesAreRefusedOrOpenedAsFarAsTheyGo) {
  Temp_Dir dir;
  auto file = [&](const std::string& name, const std::string& bytes) {
    Write_File(dir.File(name), bytes);
    return dir.File(name);
  };
  auto malformed = [](const char* name) {
    return testing::Test_Data(std::string("project/cgp/malformed/") + name);
  };
  const std::string demo = Read_File(testing::Test_Data("project/cgp/timed_demo.cgp"));
  std::vector<std::size_t> records;
  for (std::size_t at = demo.find("field:"); at != std::string::npos;
       at = demo.find("field:", at + 1))
    records.push_back(at);
  ASSERT_EQ(records.size(), 56u);
  const std::size_t header_end = demo.find(':', records[10] + 6);
  std::filesystem::create_directory(dir.File("folder.cgp"));
  // Anything longer than the longest document is refused before it is read, whatever it is.
  const std::string huge = file("huge.kar", "{\\rtf1 ");
  std::filesystem::resize_file(huge, (std::uintmax_t{64} << 20) + 1);  // sparse: no disk used
  const std::string not_project = " is not a Lyricanvas project.";
  struct Case {
    std::string path;
    int read;               ///< field records read; -1: refused
    std::string said = "";  ///< after the path, when refused other than "could not be opened"
  } cases[] = {
      {malformed("lyrics_cut_inside_a_group.cgp"), -1},
      {malformed("old_events_past_end.cgp"), -1},
      {malformed("old_huge_counts.cgp"), -1},
      {malformed("old_text_longer_than_file.cgp"), -1},
      {malformed("old_truncated_in_runs.cgp"), -1},
      {malformed("length_not_a_number.cgp"), 55},
      {malformed("length_past_end.cgp"), 55},
      {malformed("position_out_of_range.cgp"), 55},
      {malformed("too_many_fields.cgp"), 5000},
      {file("empty.cgp", ""), -1, not_project},
      {file("words.CGP", "just words\r\n"), -1, not_project},
      {file("binary.cgp", std::string("\x7F\x45LF binary", 10)), -1, not_project},
      {dir.File("folder.cgp"), -1, " could not be opened: it is a directory"},
      {huge, -1, " could not be opened: it is 64.0 MB (67108865 bytes)"},
      // Cut inside the properties, then inside record 10's header, at its end and in its events.
      {file("cut1.cgp", demo.substr(0, demo.find("<color_3_1") + 5)), 0},
      {file("cut2.cgp", demo.substr(0, records[10] + 7)), 10},
      {file("cut3.cgp", demo.substr(0, header_end)), 10},
      {file("cut4.cgp", demo.substr(0, header_end + 2)), 10},
  };
  for (const Case& c : cases) {
    const std::string said = c.read >= 0      ? " is incomplete: "
                             : c.said.empty() ? " could not be opened: "
                                              : c.said;
    Loaded_Project declined;
    EXPECT_EQ(Open_Project_File(declined.song, c.path, declined.ui), Read_Status::Failed) << c.path;
    declined.Expect_Unchanged(c.path);
    const std::vector<std::string>& shown =
        c.read < 0 ? declined.recorder.messages : declined.recorder.questions;
    ASSERT_EQ(shown.size(), 1u) << c.path;
    EXPECT_TRUE(shown[0].starts_with((said == not_project ? "The file " : "The project file ") +
                                     c.path + said))
        << shown[0];
    if (c.read < 0) {
      EXPECT_TRUE(declined.recorder.questions.empty()) << c.path;
      continue;
    }
    EXPECT_NE(shown[0].find(std::to_string(c.read) + " field records were read"), std::string::npos)
        << shown[0];
    Loaded_Project accepted;
    accepted.recorder.answers = {Answer::Yes};
    EXPECT_EQ(Open_Project_File(accepted.song, c.path, accepted.ui), Read_Status::Incomplete);
    EXPECT_EQ(accepted.song.Project_File, c.path);
  }
  for (auto [cut, read] : {std::pair{records[20], 20}, {demo.size(), 56}}) {  // whole records
    Song song;
    Recording_Ui r;
    ASSERT_EQ(Open_Project_File(song, file("whole.cgp", demo.substr(0, cut)), r.ui()),
              Read_Status::Complete);
    EXPECT_EQ(song.Field_Count, read);
    EXPECT_TRUE(r.messages.empty());
  }
}

TEST(ProjectProperties, GetPropertyFindsWholeKeysOnly) {
  std::string s = "<xTxt_A=1><Txt_A=2><Txt_B=3";
  EXPECT_EQ(Get_Property(s, "Txt_A"), "2");
  EXPECT_EQ(Get_Property(s, "Txt_B"), "");  // no ">" follows
  EXPECT_EQ(Get_Property(s, "Txt_C"), "");
  EXPECT_EQ(Get_Property("<hold_time=5><filename=a.bmp>", "filename"), "a.bmp");
}

// Every value is applied that can be, here up to the check box and palette value each case ends
// with; the others keep their previous values and are reported together in one message.
TEST(ProjectProperties, ValuesAreAppliedAndBadOnesReportedTogether) {
  const std::string no_outline = "<Com_WipingStyle=Draw no outline>";
  const char* const style = "Com_WipingStyle";
  struct Case {
    std::string properties;
    std::vector<std::string> problems;
    std::vector<const char*> controls;  ///< name, value afterwards, name, value...
  } cases[] = {
      {"<Com_Font=No Such Font 123><Com_Color=9 - nobody><Com_FadingStyle=None>",
       {"The project loaded uses the font 'No Such Font 123' which is not available on this PC. "
        "It has been changed to a different font.",
        "The combo box Com_Color could not be set. Please check your option entries before "
        "proceeding!"},
       {"Com_Font", "DejaVu Sans", "Com_Color", "1 - solo / both", "Com_FadingStyle", "None"}},
      {"<Com_Font=times new roman>", {}, {"Com_Font", "times new roman"}},  // a classic name
      // Older wiping styles are renamed.
      {"<Com_WipingStyle=Wipe text body to wiping>", {}, {style, "Swipe text body only"}},
      {"<Com_WipingStyle=Wipe body&outline to wi&bg>", {}, {style, "Swipe text body & outline"}},
      {"<Com_WipingStyle=Swap text body & outline>", {}, {style, "Swap text body & outline"}},
      {"<Com_WipingStyle=Wipe text body to wiping><Chk_Outline=0>", {}, {style, "Draw no outline"}},
      {"<Chk_Outline=1>", {}, {style, "Swipe text body only"}},
      {"<Chk_Reverse=99>" + no_outline,
       {"Error 380: Invalid property value on field Chk_Reverse (value '99'); it keeps its "
        "previous value."},
       {style, "Draw no outline"}},
      {"<Chk_Bold=x><color_2_2=red>" + no_outline,
       {"Error 13: Type mismatch on field Chk_Bold (value 'x'); it keeps its previous value.",
        "Error 13: Type mismatch on field color_2_2 (value 'red'); it keeps its previous value."},
       {style, "Draw no outline"}},
      {"<color_1_1=16><color_1_2=-1>" + no_outline,
       {"The palette value color_1_1=16 is outside 0 to 15; 15 is used.",
        "The palette value color_1_2=-1 is outside 0 to 15; 0 is used."},
       {style, "Draw no outline"}},
  };
  for (const Case& c : cases) {
    Song song;
    Recording_Ui r;
    song.Window_Controls.Set_Text("Com_Font", "DejaVu Sans");
    song.Project_Properties = "\xFE" + c.properties + "<Chk_Blank=1><color_0_1=3>";
    EXPECT_EQ(Apply_Properties(song, r.ui()),
              c.problems.empty() ? Read_Status::Complete : Read_Status::Partial)
        << c.properties;
    std::string expected = "The following errors occured during loading of the project: ";
    for (const std::string& problem : c.problems) expected += "\r" + problem;
    EXPECT_EQ(r.messages,
              c.problems.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected});
    for (std::size_t k = 0; k + 1 < c.controls.size(); k += 2)
      EXPECT_EQ(song.Window_Controls.Text(c.controls[k]), c.controls[k + 1]) << c.properties;
    EXPECT_EQ(song.Window_Controls.Text("Chk_Blank"), "1") << c.properties;
    EXPECT_EQ(song.Palette[0][1], 3) << c.properties;
    if (c.properties.starts_with("<color_1_1=16>")) {  // clamped to 15 and 0
      EXPECT_EQ(song.Palette_RGB[1], qRgb(255, 0, qBlue(song.Palette_RGB[1])));
    }
  }
}

// A properties section that Windows-1252 cannot hold, or whose Windows-1252 bytes would read
// back as other UTF-8 characters, is written as UTF-8 (the golden project's fits the code page).
TEST(ProjectProperties, SectionIsUtf8WhenWindows1252WouldNotReadBack) {
  for (const char* value : {"\xE6\x97\xA5.wav", "\xC3\x83\xC2\xBC.wav"}) {  // "Ã¼" in the second
    Saved_Project p;
    p.song.Window_Controls.Set_Text("Txt_Source", 1, value);
    EXPECT_NE(Read_File(p.Save()).find(std::string("<Txt_Source_1=") + value + ">"),
              std::string::npos)
        << value;
    Song reopened;
    ASSERT_TRUE(Open_Project(reopened, p.song.Project_File, p.ui));
    EXPECT_EQ(reopened.Window_Controls.Text("Txt_Source", 1), value);
  }
}

TEST(IncrementalNames, CountUpWrapAfter999AndStartAt001) {
  EXPECT_EQ(Next_Incremental_Name("/p/song.cgp"), "/p/song_001.cgp");
  EXPECT_EQ(Next_Incremental_Name("/p/song_001.cgp"), "/p/song_002.cgp");
  EXPECT_EQ(Next_Incremental_Name("/p/song_099.cgp"), "/p/song_100.cgp");
  EXPECT_EQ(Next_Incremental_Name("/p/song_999.cgp"), "/p/song_000.cgp");
  EXPECT_EQ(Next_Incremental_Name("/p/song_abc.cgp"), "/p/song_abc_001.cgp");
  EXPECT_EQ(Next_Incremental_Name("/p/song_1x3.cgp"), "/p/song_1x3_001.cgp");
  EXPECT_EQ(Next_Incremental_Name("_001.cgp"), "_001_001.cgp");  // not longer than 8
}

TEST(ProjectSave, AFailedWriteKeepsTheOldFileAndSaysWhy) {
  struct Case {
    const char* name;
    void (*make)(const std::string& path);
    const char* said;  ///< after the path
  } cases[] = {
      {"song.cgp", [](const std::string& path) { Write_File(path, "old project"); },
       ": File too large. The file was not changed."},
      {"fifo.cgp", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); },
       ": it is a FIFO, not a regular file. The file was not changed."},
      {"folder.cgp", [](const std::string& path) { std::filesystem::create_directory(path); },
       ": it is a directory, not a regular file. The file was not changed."},
  };
  // Writes past 64 bytes fail (EFBIG), also for root, for whom permissions do not count.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 64;
  for (const Case& c : cases) {
    Saved_Project p;
    const std::string path = p.dir.File(c.name);
    c.make(path);
    const auto type = std::filesystem::status(path).type();
    p.song.Project_File = path;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = Save_Project(p.song, p.ui);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(written) << c.name;
    EXPECT_EQ(p.recorder.messages,
              std::vector<std::string>{"The project could not be saved as " + path + c.said});
    EXPECT_EQ(std::filesystem::status(path).type(), type) << c.name << " was replaced";
    if (type == std::filesystem::file_type::regular) {
      EXPECT_EQ(Read_File(path), "old project");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(p.dir.path), {}), 1)
        << "no temporary file is left behind";
  }
}

// Cancel, or Yes and then a cancelled save dialog, keep the project; after No, New clears it and
// Open replaces it by the chosen file.
TEST(ProjectButtons, NewAndOpenAskFirst) {
  Saved_Project p;
  p.song.RTB_Raw.Set_Text("other");
  const std::string other = p.Save("other.cgp");
  Fill_Song(p.song);
  p.song.Project_File.clear();
  std::vector<File_Dialog_Request> requests;
  File_Dialog dialog = [&](const File_Dialog_Request& request) {
    requests.push_back(request);
    return request.save ? std::string() : other;
  };
  p.recorder.answers = {Answer::Cancel, Answer::Yes, Answer::Cancel, Answer::Yes};
  for (auto click : {But_New_Click, But_New_Click, But_Open_Click, But_Open_Click})
    EXPECT_FALSE(click(p.song, p.ui, dialog));
  EXPECT_EQ(
      p.recorder.questions,
      std::vector<std::string>(4, "Do you want to save the changes to your current project?"));
  EXPECT_EQ(p.song.Field_Count, 7);
  ASSERT_EQ(requests.size(), 2u);
  for (const File_Dialog_Request& request : requests) {
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.filter, Project_Dialog_Filter);
    EXPECT_EQ(request.default_extension, "cgp");
  }
  p.recorder.answers = {Answer::No};
  ASSERT_TRUE(But_Open_Click(p.song, p.ui, dialog));
  EXPECT_FALSE(requests.back().save);
  EXPECT_EQ(requests.back().filter, Open_Dialog_Filter);
  EXPECT_EQ(p.song.RTB_Raw.Text(), "other");
  EXPECT_EQ(p.song.Project_File, other);
  EXPECT_FALSE(p.song.Suppress_Text_Events);
  p.recorder.answers = {Answer::No};
  EXPECT_TRUE(But_New_Click(p.song, p.ui, dialog));
  EXPECT_EQ(p.recorder.questions.size(), 6u);
  EXPECT_EQ(p.song.RTB_Raw.Text(), "");
  EXPECT_EQ(p.song.Text_Length, 0);
  EXPECT_EQ(p.song.Field_Count, 0);
  EXPECT_EQ(p.song.Project_File, "") << "a first save must not overwrite the opened project";
}

TEST(ProjectButtons, SaveUsesTheDialogOnceThenIncrementalNames) {
  Saved_Project p;
  p.song.RTB_Raw.Set_Text("la");
  std::string chosen = p.dir.File("song.cgp");
  File_Dialog dialog = [&](const File_Dialog_Request&) { return chosen; };
  ASSERT_TRUE(But_Save_Click(p.song, p.ui, dialog));
  EXPECT_EQ(p.song.Project_File, chosen);
  ASSERT_TRUE(But_Save_Click(p.song, p.ui, {}));
  EXPECT_EQ(p.song.Project_File, chosen) << "incremental saving is off";
  p.song.Window_Controls.Set_Check("Chk_incremental_save", 1);
  ASSERT_TRUE(But_Save_Click(p.song, p.ui, {}));
  EXPECT_EQ(p.song.Project_File, p.dir.File("song_001.cgp"));
  ASSERT_TRUE(But_Save_Click(p.song, p.ui, {}));
  EXPECT_EQ(p.song.Project_File, p.dir.File("song_002.cgp"));
  EXPECT_TRUE(std::filesystem::exists(p.dir.File("song_001.cgp")));
  // Save As into a missing directory keeps the old name.
  const std::string missing = p.dir.File("x/y.cgp");
  EXPECT_FALSE(But_SaveAs_Click(p.song, p.ui, [&](const File_Dialog_Request&) { return missing; }));
  EXPECT_EQ(p.song.Project_File, p.dir.File("song_002.cgp"));
  EXPECT_EQ(p.recorder.messages,
            std::vector<std::string>{"Directory or volume for " + missing + " does not exist!"});
  EXPECT_FALSE(std::filesystem::exists(p.dir.File("x")));
}

}  // namespace
}  // namespace lyricanvas
