#include "support/ffmpeg.h"

#include <QProcess>
#include <QStandardPaths>

namespace lyricanvas::testing {

bool Have_Ffmpeg() { return !QStandardPaths::findExecutable("ffmpeg").isEmpty(); }

std::vector<std::string> Ffmpeg_Frames(const std::string& cdg_path,
                                       const std::vector<std::int64_t>& packs, std::string* error) {
  // At 300 frames per second rounded up from the start, frame k is the state after pack k; a
  // selection of frames keeps the output small.
  QString select;
  for (std::int64_t k : packs)
    select += (select.isEmpty() ? "" : "+") + QString("eq(n\\,%1)").arg(k);
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg",
               {"-nostdin", "-v", "error", "-f", "cdg", "-i", QString::fromStdString(cdg_path),
                "-vf", "fps=300:round=up:start_time=0,select='" + select + "'", "-fps_mode",
                "passthrough", "-f", "rawvideo", "-pix_fmt", "rgb24", "pipe:1"});
  if (!ffmpeg.waitForFinished(120000)) {
    if (error) *error = "ffmpeg did not finish";
    return {};
  }
  const QByteArray out = ffmpeg.readAllStandardOutput();
  if (error) *error = ffmpeg.readAllStandardError().toStdString();
  std::vector<std::string> frames;
  for (qsizetype at = 0; at + static_cast<qsizetype>(Ffmpeg_Frame_Bytes) <= out.size();
       at += static_cast<qsizetype>(Ffmpeg_Frame_Bytes))
    frames.emplace_back(out.constData() + at, Ffmpeg_Frame_Bytes);
  return frames;
}

}  // namespace lyricanvas::testing
