// The buttons of the "Project handling" tab as operations on the song; the GUI supplies the
// file dialogs, questions go through the Ui.
#include <filesystem>

#include "project/project_file.h"

namespace lyricanvas {

namespace {

constexpr char Save_Question[] = "Do you want to save the changes to your current project?";

/// Asks whether to save the current text first; false when the user cancels or the save fails.
bool Offer_To_Save(Song& song, const Ui& ui, const File_Dialog& dialog) {
  Answer answer = Ask(ui, Save_Question, true);
  if (answer == Answer::Cancel) return false;
  return answer == Answer::No || But_Save_Click(song, ui, dialog);
}

std::string Choose_Save_Name(const File_Dialog& dialog, const std::string& initial) {
  if (!dialog) return {};
  return dialog(File_Dialog_Request{true, Project_Dialog_Filter, "cgp", initial});
}

/// Saves under a new name; the old name stays when saving fails.
bool Save_As(Song& song, const Ui& ui, const std::string& path) {
  std::string previous = song.Project_File;
  song.Project_File = path;
  if (Save_Project(song, ui)) return true;
  song.Project_File = previous;
  return false;
}

}  // namespace

bool But_New_Click(Song& song, const Ui& ui, const File_Dialog& dialog) {
  if (!song.RTB_Raw.Text().isEmpty() && !Offer_To_Save(song, ui, dialog)) return false;
  // A new project starts without the old fields and file name, so that its first save cannot
  // overwrite the previous project; the options stay as they were.
  song.RTB_Raw.Clear();
  song.Text_Length = 0;
  song.Fields.fill(Field_Rec{});
  song.Field_Count = 0;
  song.Picture_Count = 0;
  song.Current_Field = 0;
  song.Project_File.clear();
  song.Project_Properties.clear();
  return true;
}

bool But_Open_Click(Song& song, const Ui& ui, const File_Dialog& dialog) {
  if (!song.RTB_Raw.Text().trimmed().isEmpty() && !Offer_To_Save(song, ui, dialog)) return false;
  bool suppressed = song.Suppress_Text_Events;
  song.Suppress_Text_Events = true;
  std::string path = dialog ? dialog(File_Dialog_Request{false, Open_Dialog_Filter, "", ""}) : "";
  if (Control* store = song.Window_Controls.Find("Chk_Store_Pictures")) store->Enabled = true;
  bool opened = File_Exists(ui, path) && Open_Project(song, path, ui);
  song.Suppress_Text_Events = suppressed;
  return opened;
}

bool But_Save_Click(Song& song, const Ui& ui, const File_Dialog& dialog) {
  if (song.Project_File.empty()) {
    std::string path = Choose_Save_Name(dialog, "");
    if (path.empty()) return false;
    song.Project_File = path;
    if (But_Save_Click(song, ui, dialog)) return true;
    song.Project_File.clear();
    return false;
  }
  std::error_code ec;
  if (song.Window_Controls.Checked("Chk_incremental_save") &&
      std::filesystem::exists(song.Project_File, ec))
    return Save_As(song, ui, Next_Incremental_Name(song.Project_File));
  return Save_Project(song, ui);
}

bool But_SaveAs_Click(Song& song, const Ui& ui, const File_Dialog& dialog) {
  std::string path = Choose_Save_Name(dialog, song.Project_File);
  if (path.empty()) return false;
  return Save_As(song, ui, path);
}

}  // namespace lyricanvas
