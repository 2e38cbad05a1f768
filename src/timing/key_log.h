#pragma once
// The key log of a timing session: one "SECONDS KEY" line per key event, KEY one of press and
// release (Space down and up), clear (C), skip (S), up, down (the arrows) and back (B); "#"
// starts a comment. A log replayed through the key handlers times a song without a display.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/song.h"
#include "model/ui.h"
#include "timing/key_timing.h"
#include "timing/timing_editor.h"

namespace lyricanvas {

/// Reads a key log; std::nullopt with the line and the reason in error for a malformed one.
/// Times are finite, not negative and never go back.
std::optional<std::vector<Logged_Key>> Parse_Key_Log(std::string_view text, std::string& error);
/// The text of a key log, readable by Parse_Key_Log.
std::string Write_Key_Log(const std::vector<Logged_Key>& events);

/// Starts a keyboard timing session as a click on the first field of the lyrics would: lays the
/// lyrics out, rebuilds the areas and marks the first field.
void Begin_Key_Session(Timing_Editor& te, Song& song);
/// Replays a log through the key handlers, the clock running and reading each event's time; the
/// view is replayed to each event's time first, as the window's frame timer would.
void Replay_Key_Log(Timing_Editor& te, Song& song, const Ui& ui,
                    const std::vector<Logged_Key>& events);

}  // namespace lyricanvas
