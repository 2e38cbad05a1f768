#pragma once
// What the editing tests share: a song whose fields follow the edits, and the text under each
// field.
#include <QStringList>
#include <string>

#include "editing/text_tracking.h"
#include "support/song_builder.h"

namespace lyricanvas::testing {

/// The text under each field in field order, joined by "|" ("(cleared)" for a cleared field).
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

/// "wonderful time" in singer 1 and "day" in singer 2: fields won, der, ful, time and day, each
/// timed.
struct Tracked_Song {
  Song song;
  Edit_Tracker tracker;
  Tracked_Song() {
    Build_Song(song, {{{{"won", 1, 2}, {"der", 2, 3}, {"ful ", 3, 4}, {"time", 4, 5}}, 1},
                      {{{"day", 6, 7}}, 2}});
    Track_Edits(song, tracker);
  }
};

}  // namespace lyricanvas::testing
