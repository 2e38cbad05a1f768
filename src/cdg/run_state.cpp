#include "cdg/run_state.h"

namespace lyricanvas {

void Pack_Slots::Resize(std::int64_t last_slot) {
  std::size_t count = last_slot < 0 ? 0 : static_cast<std::size_t>(last_slot) + 1;
  packs_.assign(count, Pack{});
  used_.assign(count, 0);
}

void Pack_Slots::Erase() {
  packs_ = {};
  used_ = {};
}

void Pack_Slots::Put(std::int64_t slot, const Pack& pack) {
  if (slot < 0 || slot >= Size()) return;
  packs_[static_cast<std::size_t>(slot)] = pack;
  used_[static_cast<std::size_t>(slot)] = 1;
}

void Pack_Slots::Clear_Slot(std::int64_t slot) {
  if (slot < 0 || slot >= Size()) return;
  packs_[static_cast<std::size_t>(slot)] = Pack{};
  used_[static_cast<std::size_t>(slot)] = 0;
}

void Set_Run_Status(Creation_Run& run, const std::string& status) {
  run.Status_Text = status;
  Set_Status(run.ui, status);
}

}  // namespace lyricanvas
