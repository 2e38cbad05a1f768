#pragma once
// Pasting into the lyrics, and dropping onto them: text from any program (its characters in the
// format where they land; objects the lyrics cannot hold are left out), or one picture from
// image data. The analysis pastes into the scratch box first to learn what will arrive.
#include <QMimeData>
#include <functional>
#include <string>

#include "model/song.h"
#include "model/ui.h"

namespace lyricanvas {

/// The selection of RTB_Raw as clipboard data: plain text for other programs, and the lyrics
/// with their pictures for pasting back into Lyricanvas. nullptr for an empty selection.
QMimeData* Selection_Mime_Data(const Song& song);
/// Copy and cut of the selection through the system clipboard.
void Copy_Selection(const Song& song);
void Cut_Selection(Song& song);

/// What a paste brings: its length in our offsets, its pictures and the offset of the first.
struct Paste_Analysis {
  int Pasted_Length = 0;
  int Pasted_Picture_Count = 0;
  int Pasted_Picture_Offset = 0;
  bool operator==(const Paste_Analysis&) const = default;
};

extern const char* const Multiple_Pictures_Message;

/// Pastes the data into RTB_Shadow as it would arrive in the lyrics and measures it; RTB_Shadow
/// is empty again afterwards. Returns the pasted length followed by ";".
std::string Analyze_Paste(Song& song, const QMimeData& data, Paste_Analysis& analysis);

/// Replaces the selection of RTB_Raw by the data, as one undo step. Several pictures are
/// announced with a message; one picture has no file behind it, so the project must store it
/// (Chk_Store_Pictures grayed and disabled) and picture_added gets its 1-based position to give
/// it a picture field. Returns the analysis.
Paste_Analysis Paste(Song& song, const QMimeData& data, const Ui& ui,
                     const std::function<void(int position)>& picture_added);

}  // namespace lyricanvas
