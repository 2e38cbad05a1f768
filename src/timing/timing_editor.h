#pragma once
// The timing editor's state: the field being timed, the wipe areas that the replay animates, the
// timing view's pictures and the mouse drag. One plain struct handed to the free functions of
// the timing module; the window owns one, the command-line tool and tests make their own.
#include <array>
#include <vector>

#include "model/line_render.h"
#include "model/surface.h"

namespace lyricanvas {

constexpr int Timing_View_Rows = 11;
constexpr int Timing_View_Width = 300;  ///< every Char_X of a laid-out line lies inside
constexpr int Timing_View_Height = Timing_View_Rows * View_Row_Height;
constexpr int Max_Samples = 1000;  ///< samples of one mouse drag after the first
constexpr int Max_Wiped_New_Fields = 150;
constexpr QRgb Mark_White = qRgb(255, 255, 255);

/// A run of characters whose wipe the replay animates. Times in seconds, columns in pixels of
/// the laid-out line (a field that wraps counts on beyond its first line's end).
struct Area_Rec {
  double Starting_Time = 0;
  double Ending_Time = 0;
  int Starting_Character = 0;  ///< 1-based
  int Ending_Character = 0;    ///< 1-based; never a character without a field
  bool Started = false;
  bool Finished = false;
  double Previous_Timepoint = 0;  ///< event at or before the song time
  double Next_Time_Point = 0;     ///< event after the song time
  int Previous_Column = 0;
  int Wiped_Column = 0;    ///< the view shows the wipe up to here
  int To_Wipe_Column = 0;  ///< the wipe must reach this at the song time
  int Next_Column = 0;
  int Previous_Field_Left = 0;
  int Next_Fieldleft = 0;
  int Current_Field_Width = 0;
  int Previous_Field = 0;
  int Next_Field = 0;
  int Previous_Index_In_Field = 0;
  int Next_Index_In_Field = 0;
  int Previous_Line = 0;
  int Wiped_Line = 0;
  int To_Wipe_Line = 0;
  int Next_Line = 0;
  bool operator==(const Area_Rec&) const = default;
};

/// Key events of a timing session, as the key log writes them.
enum class Log_Key { Press, Release, Clear, Skip, Up, Down, Back };

struct Logged_Key {
  double seconds = 0;  ///< song time of the event
  Log_Key key = Log_Key::Press;
  bool operator==(const Logged_Key&) const = default;
};

struct Timing_Editor {
  // Key timing.
  int Current_Field = 0;  ///< the field the next Space press times; 0 = none
  int Held_Field = 0;     ///< the field whose end the release stamps
  int Clicked_Field = 0;  ///< chosen by the last click on the view
  int Current_Line = 0;   ///< line of the current field (1-based)
  double Last_Release_Time = 0;  ///< packs; 0 after a click on the view
  int Last_Wiped_Char = 0;       ///< where the last pressed field ends; 0 after a click
  int Last_Area = 0;             ///< area made by the last press
  bool Key_Held = false;         ///< Space, C or S is down: auto-repeat acts once
  bool Space_Pressed = false;    ///< a Space press timed a field; its release stamps the end
  std::vector<Logged_Key> Key_Log;  ///< every key the handlers acted on, for replaying

  // Wipe areas, 1 .. Area_Count (index 0 unused).
  std::vector<Area_Rec> Areas = std::vector<Area_Rec>(51);
  int Area_Count = 0;

  // The view.
  Surface Pic_Indication{Timing_View_Width, Timing_View_Height, qRgb(0, 0, 0)};
  /// One line in its wiped colours, 33 rows so that row 1..32 matches a row band.
  Surface Pic_Hidden_Screen{Timing_View_Width, View_Row_Height + 1, qRgb(0, 0, 0)};
  int Hidden_Line = 0;  ///< the line Pic_Hidden_Screen holds; 0 when it must be rendered
  int VSc_Line_Value = 1;  ///< line shown in the top row
  int VSc_Line_Max = 1;
  int Line_Y_Offset = 0;  ///< print offset of a line inside its row
  bool View_Changed = false;  ///< the picture changed since the window last showed it

  bool Mouse_Down = false;  ///< a button is held on the view (no auto-scroll then)

  // Mouse drag.
  std::array<int, Max_Samples + 1> Sample_X{};
  std::array<double, Max_Samples + 1> Sample_Time{};  ///< song time, seconds
  int Sample_Count = 0;
  bool Mouse_Wiping = false;
};

}  // namespace lyricanvas
