#pragma once
// The checks every verb of lyricanvas-cli makes on its files before it reads, asks or writes
// anything. Each returns an empty string when the file may be used, else the message to show:
// the file's name and why.
#include <string>
#include <vector>

#include "model/file_io.h"
#include "model/ui.h"

namespace lyricanvas::cli {

/// An input must be a regular file that can be opened, of at most max_bytes.
std::string Input_Problem(const std::string& path, std::uint64_t max_bytes = Max_Document_Bytes);

/// An output must not be a directory, device or FIFO (a symbolic link is followed), must not be
/// one of the inputs, and may be an existing file only when `replace` allows it. Standard_Output
/// is always fine.
std::string Output_Problem(const std::string& output, const std::vector<std::string>& inputs,
                           bool replace);

/// The console's voice: messages on stderr, every question printed with its answer, Yes when
/// the flag that allows it was given (printed as YES_TEXT), else No.
Ui Answering_Ui(bool yes, const char* yes_text = "Yes");

/// The console's voice for reading an input: whether to go on with what an incomplete file holds
/// is answered Yes only when --force was given.
Ui Reading_Ui(bool force);

/// Whether a file name ends in the extension (".cgp"), in any case.
bool Has_Extension(const std::string& path, const std::string& extension);

}  // namespace lyricanvas::cli
