#pragma once

namespace lyricanvas {

/// How far a file could be read, for callers that act on it (the window asks before going on
/// with an incomplete file, the command-line tool exits non-zero).
enum class Read_Status {
  Failed,      ///< nothing was taken from the file
  Incomplete,  ///< the file ends early; what came before the end was read
  Partial,     ///< some values could not be read (and were reported); every other one applied
  Complete,
};

/// The worse of two outcomes.
constexpr Read_Status Worse(Read_Status a, Read_Status b) { return a < b ? a : b; }

}  // namespace lyricanvas
