#pragma once
// A scratch folder for running lyricanvas-cli as a script does: songs, projects whole and cut,
// outputs of earlier runs, key logs, pictures, special files and files too large to read.
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "support/bmp_builder.h"
#include "support/test_support.h"

namespace lyricanvas::testing {

/// A WAV header followed by `audio` bytes of silence; sparse, so it takes no disk space.
inline void Write_Silent_Wav(const std::string& path, std::uint32_t audio) {
  std::string wav = Read_File(Test_Data("cdg/wav/three_sectors_and_a_bit.wav")).substr(0, 44);
  for (int i = 0; i < 4; ++i) wav[40 + i] = static_cast<char>(audio >> (8 * i));
  Write_File(path, wav);
  std::filesystem::resize_file(path, 44 + std::uint64_t{audio});
}

struct Cli_Folder {
  Cli_Folder() {
    namespace fs = std::filesystem;
    Write_File(Path("song.txt"), "# test song\n[2] Hel|lo@1-1.5 there@2-3\n\nbye@5-6\n");
    Write_File(Path("words.txt"), "Wonderful water\nsomething didn't\n");
    Write_File(Path("bad.txt"), "fine@1\noops@\n");
    fs::copy_file(Test_Data("project/cgp/timed_demo.cgp"), Path("song.cgp"));
    const std::string malformed = Test_Data("project/cgp/malformed/");
    fs::copy_file(malformed + "lyrics_cut_inside_a_group.cgp", Path("damaged.cgp"));
    fs::copy_file(malformed + "truncated_in_events.cgp", Path("cut.cgp"));
    Write_File(Path("values.cgp"),
               "{\\rtf1 la}\r\n<properties>\xFE<Chk_Reverse=99><Txt_Silence=3>\r\n");
    fs::copy_file(Test_Data("cdg/wav/no_data_chunk.wav"), Path("nodata.wav"));
    Write_File(Path("tiny.cdg"), std::string(300 * 24, '\0'));  // one second of empty packs
    Write_File(Path("short.cdg"), std::string(23, '\x09'));     // not one whole pack
    Write_Silent_Wav(Path("short.wav"), 100);                   // less than one sector of an image
    Write_File(Path("keys.txt"), "1 press\n1.5 release\n2 skip\n3 press\n3.5 release\n");
    Write_File(Path("back.log"), "1 press\n0.5 release\n");
    Write_File(Path("jump.log"), "1 jump\n");
    Bmp_Shape bmp = Shape(72, 48);
    bmp.color = [](int x, int y) { return Rgb8{x * 3, y * 5, 1}; };
    Write_File(Path("good.bmp"), Make_Bmp(bmp));
    Write_File(Path("cut.bmp"), Make_Bmp(bmp).substr(0, 100));
    for (const char* name : {"out.cdg", "out.bin", "old.png"}) Write_File(Path(name), "old output");
    fs::create_directory(Path("dir"));
    ::mkfifo(Path("fifo").c_str(), 0600);
    fs::create_symlink("fifo", Path("fifo_link"));
    for (const char* name : {"big.txt", "big.kar"}) {
      Write_File(Path(name), "");
      fs::resize_file(Path(name), (64 << 20) + 1);  // sparse
    }
  }

  /// Every name in the folder with a digest of the bytes of the regular files among them.
  std::map<std::string, std::size_t> Snapshot() const {
    std::map<std::string, std::size_t> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path)) {
      std::string name = entry.path().filename();
      bool small_file = entry.is_regular_file() && !name.starts_with("big");
      files[name] = small_file ? std::hash<std::string>{}(Read_File(entry.path())) : 0;
    }
    return files;
  }

  /// Runs the tool in the folder; a run that blocks is ended after 20 s (exit status 124).
  /// `errors` is where its standard error goes.
  Command_Result Run(const std::string& words, const std::string& errors = "&1") const {
    return Run_Command("cd '" + dir.path.string() + "' && timeout 20 '" LYRICANVAS_CLI "' " +
                       words + " 2>" + errors);
  }

  std::string Path(const std::string& name) const { return dir.File(name); }

  Temp_Dir dir;
};

}  // namespace lyricanvas::testing
