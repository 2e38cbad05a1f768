#include "app/window/creation_tab.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>

#include "app/window/file_boxes.h"
#include "app/window/preview_player.h"
#include "audio/audio_engine.h"
#include "support/song_builder.h"
#include "window_fixture.h"

namespace lyricanvas::testing {
namespace {

using CreationTab = Window_Test;
using namespace std::string_literals;

constexpr std::size_t Sector = 2448;
constexpr std::size_t Sector_Audio = 2352;

/// A 44.1 kHz stereo 16-bit WAV of whole sectors of a ramp, so audio bytes can be recognised.
void Write_Wav(const std::string& path, std::size_t sectors) {
  const std::size_t data = sectors * Sector_Audio;
  std::string wav = Wav_Header(data);
  for (std::size_t i = 0; i < data; ++i) wav += static_cast<char>(i * 7 + 1);
  Write_File(path, wav);
}

void Load_Song(Window_Under_Test& w, int lines, double seconds) {
  Build_Song(w.song(), Generated_Song(lines, seconds));
  w->context().project_replaced();
  w.Show_Tab(3);
}

TEST_F(CreationTab, TheFileBoxesNameTheButtonAndTheOutput) {
  auto w = Open_Window();
  w->Show_Tab(3);
  auto* create = w->Find<QPushButton>("But_CDG_Create");
  const QString cdg = QStringLiteral("Create CDG file (without sound)");
  EXPECT_EQ(create->text().remove(u'&'), cdg);
  // A WAV chosen for box 0 fills an empty box 1, which names the output.
  w->fake.files.push_back("/songs/Take.WAV");
  w->Click("But_OpenPicture_0");
  EXPECT_EQ(w->Find<QLineEdit>("txt_Filename_0")->text(), QStringLiteral("/songs/Take.WAV"));
  EXPECT_EQ(w->Find<QLineEdit>("txt_Filename_1")->text(), QStringLiteral("/songs/Take.WAV"));
  EXPECT_EQ(w->Find<QLineEdit>("txt_Filename_2")->text(), QStringLiteral("/songs/Take.bin"));
  EXPECT_EQ(create->text().remove(u'&'), QStringLiteral("Create BIN file (with sound mixed in)"));
  w->Type_Into("txt_Filename_1", QString());
  EXPECT_EQ(create->text().remove(u'&'), cdg);
  w->Type_Into("txt_Filename_1", QStringLiteral("/other/take.wav"));  // a named output stays
  EXPECT_EQ(w->Find<QLineEdit>("txt_Filename_2")->text(), QStringLiteral("/songs/Take.bin"));
  w->fake.files = {"/songs/again.wav", "/out/song.cdg"};
  w->Click("But_OpenPicture_0");  // a named WAV stays as well
  EXPECT_EQ(w->Find<QLineEdit>("txt_Filename_1")->text(), QStringLiteral("/other/take.wav"));

  w->Click("But_OpenPicture_2");
  ASSERT_EQ(w->fake.file_requests.size(), 3u);
  EXPECT_TRUE(w->fake.file_requests[2].save);
  EXPECT_EQ(w->fake.file_requests[2].initial_file, "/songs/Take.bin");
  EXPECT_EQ(w->song().Window_Controls.Text("txt_Filename", 2), "/out/song.cdg");
}

TEST_F(CreationTab, CreatesABinImageOffTheWindowThread) {
  auto w = Open_Window();
  Load_Song(*w, 12, 20);
  Write_Wav(File("song.wav"), 75 * 25);  // 25 seconds
  w->Type_Into("txt_Filename_1", Q_File("song.wav"));
  w->Type_Into("txt_Minimum_gap", QStringLiteral("3"));
  w->Find<QCheckBox>("Chk_Reverse")->click();
  ASSERT_EQ(w->Find<QLineEdit>("txt_Filename_2")->text(), Q_File("song.bin"));
  w->Click("But_CDG_Create");
  EXPECT_FALSE(w->Find("But_CDG_Create")->isEnabled());
  // The run's end reaches the window as a queued call after its thread is done.
  ASSERT_TRUE(Wait_Until([&] { return w->Find("But_CDG_Create")->isEnabled(); }));

  EXPECT_EQ(w->fake.messages, std::vector{"Finished writing of file " + File("song.bin") + "!"});
  const std::string bin = Read_File(File("song.bin"));
  EXPECT_EQ(bin.size(), 75u * 25 * Sector);
  EXPECT_EQ(bin.substr(0, Sector_Audio), Read_File(File("song.wav")).substr(44, Sector_Audio));
  auto* progress = w->Find<QProgressBar>("Prg_Creation");
  EXPECT_EQ(progress->value(), 100);
  EXPECT_TRUE(progress->format().startsWith(QStringLiteral("erasing packs")));
  EXPECT_TRUE(w->Find("But_Preview")->isEnabled());
  EXPECT_FALSE(w->Find("But_CDG_Cancel")->isEnabled());

  // The preview shows what our decoder reads from the image's packs.
  Preview_Player player(Q_File("song.bin"));
  std::string packs;  // what follows each sector's audio
  for (std::size_t at = Sector_Audio; at < bin.size(); at += Sector) packs += bin.substr(at, 96);
  EXPECT_DOUBLE_EQ(player.Duration(), static_cast<double>(packs.size() / 24) / 300);
  for (double t : {5.0, 2.0, 9.5}) {  // backwards as well as forwards
    player.Show_At(t);
    EXPECT_EQ(Cdg_Image(player.Decoder()), Decode_Frame(Bytes(packs), Cdg_Pack_At(t))) << t;
  }
}

TEST_F(CreationTab, ARunThatDoesNotFinishLeavesNoFile) {
  Write_File(File("broken.wav"), "RIFF\x10\x00\x00\x00WAVEjunk"s);
  // The last row: a CDG file, the run cancelled by the user once under way.
  for (const auto& [wav, message] : std::vector<std::pair<std::string, std::string>>{
           {"missing.wav",
            "The WAV file you specified isn't there. Please specify an existing WAV file or "
            "leave the field blank for creating a CDG file!"},
           {"broken.wav", "The WAV file '" + File("broken.wav") +
                              "' cannot be used: the file ends inside a chunk header!"},
           {"", ""}}) {
    auto w = Open_Window();
    const bool cancel = wav.empty();
    Load_Song(*w, cancel ? 120 : 4, cancel ? 300 : 8);
    w->Show_Tab(0);
    w->Type_Into("Txt_TotalTime", QStringLiteral("5:00"));
    w->Type_Into(cancel ? "txt_Filename_2" : "txt_Filename_1", Q_File(cancel ? "out.cdg" : wav));
    auto* progress = w->Find<QProgressBar>("Prg_Creation");
    w->Click("But_CDG_Create");
    // At once, while the run is under way: waiting for its first progress let a fast run finish
    // before the click was taken.
    if (cancel) w->Click("But_CDG_Cancel");
    ASSERT_TRUE(Wait_Until([&] { return w->Find("But_CDG_Create")->isEnabled(); }));
    EXPECT_EQ(w->fake.messages, std::vector<std::string>(!message.empty(), message));
    if (wav == "missing.wav") {  // the box to mend is shown
      EXPECT_EQ((*w)->tabs()->currentIndex(), 3);
      EXPECT_EQ(QApplication::focusWidget(), w->Find("txt_Filename_1"));
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.path))
      EXPECT_TRUE(entry.path().filename() == "recovery" || entry.path().extension() == ".wav")
          << entry.path();  // no output, finished or not
    EXPECT_EQ(progress->value(), 0);
    EXPECT_FALSE(w->Find("But_Preview")->isEnabled());
  }
}

TEST(SongOfOutput, AnImagePlaysItsWavAfterTheSilenceAFilePlaysTheTimingSong) {
  for (auto [timing_song, wav, silence, path, offset] :
       std::vector<std::tuple<const char*, const char*, const char*, const char*, double>>{
           {"song.mp3", "", "2", "song.mp3", 0},
           {"song.mp3", "mix.wav", "1,5", "mix.wav", 1.5},
           {"", "mix.wav", "soon", "mix.wav", 0},
           {"", "mix.wav", "-3", "mix.wav", 0}}) {
    Controls controls;
    controls.Set_Text("txt_Filename", 0, timing_song);
    controls.Set_Text("txt_Filename", 1, wav);
    controls.Set_Text("Txt_Silence", silence);
    const Preview_Audio audio = Song_Of_Output(controls);
    EXPECT_EQ(audio.path, path) << silence;
    EXPECT_DOUBLE_EQ(audio.offset, offset) << silence;
  }
}

TEST_F(CreationTab, ThePreviewPlaysTheSongFromItsOffsetOnItsClock) {
  Write_File(File("quiet.cdg"), std::string(10 * 300 * 24, '\0'));
  Write_Wav(File("song.wav"), 75 * 10);
  Preview_Player player(Q_File("quiet.cdg"), {File("song.wav"), 0.3},
                        std::make_unique<Audio_Engine>(Audio_Output::Silent));
  player.Play();
  EXPECT_FALSE(player.Audio_Playing());  // the song starts 0.3 s into the pictures
  ASSERT_TRUE(Wait_Until([&] { return player.Audio_Playing(); }, 5'000));
  Wait_Until([] { return false; }, 200);
  EXPECT_GT(player.Position(), 0.3);
  player.Pause();
  EXPECT_FALSE(player.Audio_Playing());
  player.Show_At(0.1);
  player.Play();
  EXPECT_FALSE(player.Audio_Playing());
}

}  // namespace
}  // namespace lyricanvas::testing
