#include "editing/formatting.h"

#include <cstdio>

namespace lyricanvas {

namespace {

int Sel_Start(const Song& song) { return song.RTB_Raw.Sel_Start(); }
int Sel_Length(const Song& song) { return song.RTB_Raw.Sel_Length(); }

int Check_Value(bool set, bool on) { return set ? (on ? 1 : 0) : 2; }

std::string Size_Text(double points) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", points);
  return text;
}

// The font controls show the selection's font; mixed values show as empty or grayed.
void Show_Font(Song& song, const Font_Rec& font) {
  Controls& controls = song.Window_Controls;
  if (!font.Font_Name.isEmpty()) controls.Set_Text("Com_Font", font.Font_Name.toStdString());
  controls.Set_Text("Txt_FontSize", font.Font_Size > 0 ? Size_Text(font.Font_Size) : "");
  controls.Set_Check("Chk_Bold", Check_Value(font.Bold_Set, font.Bold));
  controls.Set_Check("chk_italic", Check_Value(font.Italic_Set, font.Italic));
  controls.Set_Check("Chk_Underline", Check_Value(font.Underline_Set, font.Underline));
}

void Show_Singer(Song& song, int singer) {
  if (singer >= 0) song.Window_Controls.Set_Text("Com_Color", song.Singers[singer].Name);
}

}  // namespace

const char* Attribute_Control(Text_Attribute attribute) {
  switch (attribute) {
    case Text_Attribute::Bold: return "Chk_Bold";
    case Text_Attribute::Italic: return "chk_italic";
    case Text_Attribute::Underline: return "Chk_Underline";
  }
  return "";
}

void Align_Selection(Song& song, int alignment) {
  song.RTB_Raw.Set_Alignment(Sel_Start(song), Sel_Length(song), alignment);
}

void Apply_Attribute(Song& song, Text_Attribute attribute, int check_value) {
  if (check_value != 0 && check_value != 1) return;
  const bool on = check_value == 1;
  Document& doc = song.RTB_Raw;
  switch (attribute) {
    case Text_Attribute::Bold: doc.Set_Bold(Sel_Start(song), Sel_Length(song), on); break;
    case Text_Attribute::Italic: doc.Set_Italic(Sel_Start(song), Sel_Length(song), on); break;
    case Text_Attribute::Underline: doc.Set_Underline(Sel_Start(song), Sel_Length(song), on); break;
  }
}

void Apply_Font_Name(Song& song, const std::string& name) {
  if (name.empty()) return;
  song.RTB_Raw.Set_Font_Name(Sel_Start(song), Sel_Length(song), QString::fromStdString(name));
}

void Apply_Font_Size(Song& song, const std::string& text) {
  bool numeric = false;
  const double points = QString::fromStdString(text).trimmed().toDouble(&numeric);
  if (!numeric || !(points > 0)) return;
  song.RTB_Raw.Set_Font_Size(Sel_Start(song), Sel_Length(song), points);
}

void Apply_Singer(Song& song, Edit_Tracker& tracker, int singer) {
  if (singer < 0 || singer >= Singer_Count) return;
  song.RTB_Raw.Set_Color(Sel_Start(song), Sel_Length(song), song.Singers[singer].Text_Color);
  Selection_Changed(song, tracker, Sel_Start(song), Sel_Length(song));
}

int Singer_Of_Color(const Song& song, QRgb color) {
  for (int s = Singer_Count - 1; s >= 0; --s)
    if ((song.Singers[s].Text_Color & 0xffffffu) == (color & 0xffffffu)) return s;
  return -1;
}

void Selection_Changed(Song& song, Edit_Tracker& tracker, int start, int length) {
  const int old_start = song.RTB_Raw.Sel_Start(), old_length = song.RTB_Raw.Sel_Length();
  song.RTB_Raw.Select(start, length);
  if (song.Suppress_Text_Events) return;
  const std::optional<QRgb> color = song.RTB_Raw.Sel_Color();
  if (!color) return;  // a selection of several singers changes nothing
  Show_Singer(song, Singer_Of_Color(song, *color));
  Show_Font(song, song.RTB_Raw.Sel_Font());
  if (start != old_start || length != old_length) {
    song.Last_Sel_Start = old_start;
    tracker.Last_Sel_Length = old_length;
    tracker.Last_Sel_Type = song.RTB_Raw.Selection_Is_Picture() ? 2 : 0;
  }
}

void Undo_Edit(Song& song) { song.RTB_Raw.Qt().undo(); }
void Redo_Edit(Song& song) { song.RTB_Raw.Qt().redo(); }

}  // namespace lyricanvas
