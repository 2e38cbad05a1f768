#include "model/headless.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace lyricanvas {

void Prepare_Headless_Environment() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (std::getenv("XDG_RUNTIME_DIR")) return;
  std::string dir = "/tmp/lyricanvas-runtime-" + std::to_string(getuid());
  mkdir(dir.c_str(), 0700);
  struct stat info {};
  // Only a directory of our own with no access for others will do.
  if (stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
      (info.st_mode & 077) == 0)
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
}

}  // namespace lyricanvas
