#pragma once
// The three file boxes txt_Filename(0..2) with their browse buttons But_OpenPicture(0..2):
// 0 the audio played while timing, 1 the WAV mixed into a .bin image, 2 the output file.
#include <QString>
#include <string>

#include "app/window/window_context.h"

class QGridLayout;
class QWidget;

namespace lyricanvas {

/// Adds box index with its label and browse button as a row of grid.
void Add_File_Box(QWidget* parent, QGridLayout* grid, int row, int index, const QString& label,
                  const QString& browse_caption, Window_Context& context);

/// The name box 2 receives when box 1 changes to wav while box 2 is empty: box 1's name with
/// its last four characters replaced by ".bin"; "" when box 1 does not end in ".WAV" (any case)
/// or box 2 is not empty.
std::string Output_Name_For_Wav(const std::string& wav, const std::string& output);

}  // namespace lyricanvas
