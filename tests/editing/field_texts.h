#pragma once
// The text under each field of a song in field order, joined by "|" ("(cleared)" for a cleared
// field): what the editing tests compare after an edit.
#include <QStringList>
#include <string>

#include "model/song.h"

namespace lyricanvas::testing {

inline std::string Field_Texts(const Song& song) {
  QStringList parts;
  for (int f = 1; f <= song.Field_Count; ++f) {
    const Field_Rec& field = song.Fields[f];
    const int length = field.Last_Char - field.First_Char + 1;
    parts << (field.First_Char <= 0 ? "(cleared)"
                                    : song.RTB_Raw.Text().mid(field.First_Char - 1, length));
  }
  return parts.join('|').toStdString();
}

}  // namespace lyricanvas::testing
