#pragma once
// Where a picture's bytes come from: its file, or the copy embedded in the lyrics when the
// project stores its pictures. Also the insertion of a picture file into the lyrics, and the
// picture field that carries its properties.
#include <functional>
#include <optional>
#include <string>

#include "model/song.h"

namespace lyricanvas {

/// The bytes embedded in the lyrics for a picture field (the picture on its character, or on the
/// next one); nullopt when no picture stands there.
std::optional<std::string> Extract_Embedded_Picture(const Song& song, int picture_field);

/// The bytes of a picture field's picture: embedded when Chk_Store_Pictures is checked or
/// grayed, else from the file its "filename" names. On failure message says why.
std::optional<std::string> Picture_Bytes(const Song& song, int picture_field,
                                         std::string& message);

/// A picture file as the lyrics hold it: BMP files as they are; PNG and JPEG converted to a
/// 24-bit BMP. nullopt (and a message) for anything else.
std::optional<std::string> Picture_File_As_Bmp(const std::string& bytes, const std::string& name,
                                               std::string& message);
/// A 24-bit bottom-up BMP of an image.
std::string Encode_Bmp24(const class QImage& image);

/// Finds or makes the picture field of the picture at a 1-based text position (or the space
/// beside it), lets edit change its property string and stores a non-empty
/// result. A timed field that covers more than the picture is cut around it. Returns the field,
/// 0 when none was stored.
int Edit_Picture_Properties(Song& song, int position,
                            const std::function<void(std::string& properties)>& edit);

/// Inserts a picture (BMP bytes) at a text offset as one character and moves the fields behind
/// it on. Returns the number of embedded pictures.
int Insert_Picture(Song& song, int offset, const std::string& bmp, const std::string& file);

/// Inserts a picture as a line of its own after the first `after_lines` lines (0: before the
/// first line), with blank lines around it so that it opens a screen; with own_screen the
/// lyrics after it start a new screen too. Returns the picture's 1-based position, 0 when
/// after_lines is beyond the last line.
int Insert_Picture_Line(Song& song, int after_lines, const std::string& bmp,
                        const std::string& file, bool own_screen);

}  // namespace lyricanvas
