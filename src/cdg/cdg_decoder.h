#pragma once
// A CD+G decoder of our own for previews and checks: the whole 300 x 216 screen with its border,
// the 16-colour palette and every graphics instruction a commercial disc may hold, scrolling
// included. It shares nothing with the creation engine's pack interpreter, which models only the
// inner area and only what the engine itself writes, so it can judge what the engine wrote.
//
// Time convention: pack n of a stream plays at n / 300 s. The frame at t seconds is the state
// after packs 0 .. Cdg_Pack_At(t) = floor(t * 300) have been applied (pack floor(t * 300)
// included). This is frame floor(t * 300) of the ffmpeg filter chain
// "fps=300:round=up:start_time=0" over the same file.
//
// Display: the picture memory is 300 x 216 colour indices; the fine scroll offsets shift the
// displayed picture right by h_offset and down by v_offset pixels, and what is pushed past one
// edge shows at the other (the memory is seen as a wrapped plane, as a Scroll Copy treats it).
// Transparency (Define Transparent Colour) only matters when the graphics are laid over video,
// so a preview ignores it and every colour is opaque.
#include <QImage>
#include <array>
#include <cstdint>
#include <span>

namespace lyricanvas {

constexpr int Cdg_Width = 300;   ///< pixels, border included
constexpr int Cdg_Height = 216;  ///< pixels, border included
constexpr int Cdg_Pack_Bytes = 24;
constexpr int Cdg_Packs_Per_Second = 300;

/// The state of the screen after the packs fed so far.
struct Cdg_Decoder {
  std::array<std::uint8_t, Cdg_Width * Cdg_Height> memory{};  ///< colour index per pixel, by rows
  std::array<QRgb, 16> palette = Black_Palette();  ///< black until the first colour table
  int h_offset = 0;  ///< fine horizontal display offset, pixels 0..5
  int v_offset = 0;  ///< fine vertical display offset, pixels 0..11
  std::int64_t packs_fed = 0;  ///< complete packs applied, graphics or not

  static std::array<QRgb, 16> Black_Palette() {
    std::array<QRgb, 16> black{};
    black.fill(qRgb(0, 0, 0));
    return black;
  }
};

/// Applies one pack. Packs whose command (byte 0 And 63) is not 9, and unknown instructions,
/// change nothing; every byte is read And 63, so no value can reach outside the screen.
void Cdg_Decode_Pack(Cdg_Decoder& decoder, std::span<const std::uint8_t, Cdg_Pack_Bytes> pack);

/// Applies every complete pack of bytes in order; a trailing partial pack is ignored.
/// The result is the number of packs applied.
std::int64_t Cdg_Decode_Packs(Cdg_Decoder& decoder, std::span<const std::uint8_t> bytes);

/// The colour index shown at (x, y) of the 300 x 216 display, fine offsets applied.
std::uint8_t Cdg_Shown_Index(const Cdg_Decoder& decoder, int x, int y);

/// The display as a 300 x 216 RGB32 image; 4-bit levels v are shown as v * 17.
QImage Cdg_Image(const Cdg_Decoder& decoder);

/// The number of complete packs in bytes.
std::int64_t Cdg_Pack_Count(std::span<const std::uint8_t> bytes);

/// The pack whose state is shown at t seconds: floor(t * 300), with a tolerance of a
/// millionth of a pack so that a decimal time like 0.29 s means pack 87, not 86. Negative
/// times and NaN give -1 (before the first pack).
std::int64_t Cdg_Pack_At(double seconds);

/// The display after packs 0 .. pack_index (clamped to the last complete pack); a negative
/// index gives the state before any pack, a black screen.
QImage Decode_Frame(std::span<const std::uint8_t> bytes, std::int64_t pack_index);

}  // namespace lyricanvas
