#pragma once
// A scratch folder for running lyricanvas-cli as a script does: songs, projects whole and cut,
// outputs of earlier runs, key logs, pictures, special files and files too large to read.
#include <filesystem>
#include <string>

#include "support/bmp_builder.h"
#include "support/test_support.h"

namespace lyricanvas::testing {

/// A WAV header followed by `audio` bytes of silence; sparse, so it takes no disk space.
inline void Write_Silent_Wav(const std::string& path, std::uint32_t audio) {
  Write_File(path, Wav_Header(audio));
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
    Bmp_Shape bmp = Shape(72, 48);
    bmp.color = [](int x, int y) { return Rgb8{x * 3, y * 5, 1}; };
    Write_File(Path("good.bmp"), Make_Bmp(bmp));
    for (const char* name : {"out.cdg", "old.png"}) Write_File(Path(name), "old output");
    // Special files, and a sparse file one byte over 64 MB.
    Run_Command("cd '" + dir.path.string() + "' && mkdir dir && mkfifo fifo && ln -s fifo " +
                "fifo_link && truncate -s 67108865 big.txt");
  }

  /// Every name in the folder with its type, size and link target, and the digest of each
  /// regular file but the large ones.
  std::string Snapshot() const {
    const std::string digests = "md5sum $(find . -type f ! -name 'big*' | sort)";
    return Run_Command("cd '" + dir.path.string() + "' && ls -lA && " + digests).output;
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
