#include "cdg/tile_updater.h"

#include <cstring>

#include "cdg/interpreter.h"
#include "cdg/packs.h"

namespace lyricanvas {

namespace {

constexpr int Tile_Width = 6;
constexpr int Tile_Height = 12;
constexpr int Max_Tile_Packs = 4;

struct Tile_Origin {
  int x = 0;
  int y = 0;
};

Tile_Origin Origin_Of(int column, int row) {
  return {Tile_Width * (column - 1), Tile_Height * (row - 1)};
}

std::size_t Row_Offset(Tile_Origin tile, int r) {
  return static_cast<std::size_t>((tile.y + r) * Screen_Pixels::Columns + tile.x);
}
const std::uint8_t* Row_Of(const Screen_Pixels& screen, Tile_Origin tile, int r) {
  return screen.Pixels.data() + Row_Offset(tile, r);
}

void Copy_Target_To_Shown(Creation_Run& run, Tile_Origin tile) {
  for (int r = 0; r < Tile_Height; ++r) {
    std::memcpy(run.Shown_Screen.Pixels.data() + Row_Offset(tile, r),
                Row_Of(run.Target_Screen, tile, r), Tile_Width);
  }
}

/// The class of a pixel: its target colour for mode 'P', its change for mode 'E'.
int Pixel_Class(const Creation_Run& run, Tile_Origin tile, int r, int k, char mode) {
  const int target = Row_Of(run.Target_Screen, tile, r)[k] & 15;
  if (mode == 'P') return target;
  return (Row_Of(run.Shown_Screen, tile, r)[k] & 15) ^ target;
}

std::array<bool, 16> Present_Classes(const Creation_Run& run, Tile_Origin tile, char mode) {
  std::array<bool, 16> present{};
  for (int r = 0; r < Tile_Height; ++r) {
    for (int k = 0; k < Tile_Width; ++k)
      present[static_cast<std::size_t>(Pixel_Class(run, tile, r, k, mode))] = true;
  }
  return present;
}

/// Makes every class that some choice of colour 0 or colour 1 per pack produces reachable,
/// remembering the choice; a later choice replaces an earlier one for the same class.
void Enumerate_Reachable(Tile_Plan& plan, std::array<bool, 16>& reachable) {
  for (int m = 0; m < (1 << plan.count); ++m) {
    int value = 0;
    for (int j = 1; j <= plan.count; ++j) {
      const bool set = (m >> (j - 1) & 1) != 0;
      value ^=
          set ? plan.color1[static_cast<std::size_t>(j)] : plan.color0[static_cast<std::size_t>(j)];
    }
    reachable[static_cast<std::size_t>(value)] = true;
    for (int j = 1; j <= plan.count; ++j) {
      plan.bits[static_cast<std::size_t>(value)][static_cast<std::size_t>(j)] =
          (m >> (j - 1) & 1) != 0;
    }
  }
}

/// The first present class, in ascending order, that no planned pack reaches yet; -1 if none.
int First_Unreachable(const std::array<int, 16>& classes, int n,
                      const std::array<bool, 16>& reachable) {
  for (int i = 0; i < n; ++i) {
    const int c = classes[static_cast<std::size_t>(i)];
    if (!reachable[static_cast<std::size_t>(c)]) return c;
  }
  return -1;
}

/// Which mode is cheaper for the tile; ties go to the normal block, which also repairs whatever
/// the model may not know about the screen.
char Choose_Plan(const Creation_Run& run, Tile_Origin tile, Tile_Plan& plan) {
  Tile_Plan exclusive_or;
  const int e_count = Plan_Tile_Packs(Present_Classes(run, tile, 'E'), 'E', exclusive_or);
  const int p_count = Plan_Tile_Packs(Present_Classes(run, tile, 'P'), 'P', plan);
  if (p_count <= e_count) return 'P';
  plan = exclusive_or;
  return 'E';
}

std::array<Pack, Max_Tile_Packs> Build_Packs(const Creation_Run& run, Tile_Origin tile, int column,
                                             int row, const Tile_Plan& plan, char mode) {
  std::array<Pack, Max_Tile_Packs> packs{};
  for (int p = 1; p <= plan.count; ++p) {
    std::array<std::uint8_t, 16> data{};
    data[0] = static_cast<std::uint8_t>(plan.color0[static_cast<std::size_t>(p)]);
    data[1] = static_cast<std::uint8_t>(plan.color1[static_cast<std::size_t>(p)]);
    data[2] = static_cast<std::uint8_t>(row);
    data[3] = static_cast<std::uint8_t>(column);
    for (int r = 0; r < Tile_Height; ++r) {
      int bits = 0;
      for (int k = 0; k < Tile_Width; ++k) {
        const int pixel_class = Pixel_Class(run, tile, r, k, mode);
        if (plan.bits[static_cast<std::size_t>(pixel_class)][static_cast<std::size_t>(p)])
          bits |= 1 << (5 - k);
      }
      data[static_cast<std::size_t>(4 + r)] = static_cast<std::uint8_t>(bits);
    }
    const bool normal = mode == 'P' && p == 1;
    packs[static_cast<std::size_t>(p - 1)] = Make_Pack(normal ? Tile_Block : Tile_Block_Xor, data);
  }
  return packs;
}

/// True when `count` empty slots lie from Pack_Pointer on and the pointer, once past them, is
/// still inside the stream.
bool Has_Room(const Creation_Run& run, int count) {
  const std::int64_t last = run.Pack_Buffer.Last_Slot();
  std::int64_t slot = run.Pack_Pointer;
  if (slot < 0) return false;
  for (int found = 0; found < count; ++slot) {
    if (slot > last) return false;
    if (!run.Pack_Buffer.Occupied(slot)) ++found;
  }
  return slot <= last;
}

/// Places the packs in the next empty slots, interpreting the packs it steps over. Our own packs
/// are applied to the shown screen as they go, so that it follows the stream even when a
/// skipped pack touches the same tile. Returns whether any slot was skipped.
bool Place_Packs(Creation_Run& run, const std::array<Pack, Max_Tile_Packs>& packs, int count) {
  bool skipped = false;
  for (int p = 0; p < count; ++p) {
    while (run.Pack_Buffer.Occupied(run.Pack_Pointer)) {
      Interpret_Pack(run, run.Pack_Pointer);
      ++run.Pack_Pointer;
      skipped = true;
    }
    Log_Written_Pack(run);
    const Pack& pack = packs[static_cast<std::size_t>(p)];
    run.Pack_Buffer.Put(run.Pack_Pointer, pack);
    Apply_Pack(run.Shown_Screen, pack);
    ++run.Pack_Pointer;
  }
  return skipped;
}

}  // namespace

int Plan_Tile_Packs(const std::array<bool, 16>& present, char mode, Tile_Plan& plan) {
  plan = Tile_Plan{};
  std::array<int, 16> classes{};
  int n = 0;
  for (int v = 0; v < 16; ++v) {
    if (present[static_cast<std::size_t>(v)]) classes[static_cast<std::size_t>(n++)] = v;
  }
  if (n == 0 || (mode == 'E' && n == 1 && classes[0] == 0)) return 0;

  const int v1 = classes[0];
  const int v2 = n > 1 ? classes[1] : 0;
  plan.count = 1;
  plan.color0[1] = v1;
  plan.color1[1] = v2;
  std::array<bool, 16> reachable{};
  reachable[static_cast<std::size_t>(v1)] = true;
  if (n > 1) {
    reachable[static_cast<std::size_t>(v2)] = true;
    plan.bits[static_cast<std::size_t>(v2)][1] = true;
  }
  // Every further class is reached by XORing its residual from v1 onto pack 1's colour.
  for (int next = First_Unreachable(classes, n, reachable); next >= 0;
       next = First_Unreachable(classes, n, reachable)) {
    ++plan.count;
    plan.color0[static_cast<std::size_t>(plan.count)] = 0;
    plan.color1[static_cast<std::size_t>(plan.count)] = next ^ v1;
    Enumerate_Reachable(plan, reachable);
  }
  return plan.count;
}

int Update_Tile(Creation_Run& run, int column, int row) {
  if (column < 1 || column > Inner_Width / Tile_Width || row < 1 ||
      row > Inner_Height / Tile_Height) {
    return 0;
  }
  const Tile_Origin tile = Origin_Of(column, row);
  int placed = 0;
  while (!Tile_Shows_Target(run, column, row)) {
    Tile_Plan plan;
    const char mode = Choose_Plan(run, tile, plan);
    if (plan.count > 0 && !Has_Room(run, plan.count)) return placed;  // the tile stays as shown
    const auto packs = Build_Packs(run, tile, column, row, plan, mode);
    const bool skipped = Place_Packs(run, packs, plan.count);
    placed += plan.count;
    if (!skipped) {
      Copy_Target_To_Shown(run, tile);
      break;
    }
    // A skipped pack may have touched this tile; the shown tile now holds what the stream
    // really shows there, and the tile is planned again from that.
  }
  return placed;
}

void Update_All_Tiles(Creation_Run& run) {
  for (int column = 1; column <= Inner_Width / Tile_Width; ++column) {
    for (int row = 1; row <= Inner_Height / Tile_Height; ++row) Update_Tile(run, column, row);
  }
  // Everything up to the last placed pack is in the screen model; the slot at Pack_Pointer
  // may already hold a pack that is not.
  run.Interpreted_Up_To = run.Pack_Pointer - 1;
}

void Log_Written_Pack(Creation_Run& run) {
  if (run.Pack_Log_Count >= Pack_Log_Capacity) return;
  ++run.Pack_Log_Count;
  run.Pack_Log[static_cast<std::size_t>(run.Pack_Log_Count)] = run.Pack_Pointer;
}

void Take_Back_Packs(Creation_Run& run) {
  for (int i = 1; i <= run.Pack_Log_Count; ++i)
    run.Pack_Buffer.Clear_Slot(run.Pack_Log[static_cast<std::size_t>(i)]);
  run.Pack_Log_Count = 0;
}

}  // namespace lyricanvas
