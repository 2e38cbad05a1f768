#pragma once
// Shared helpers for the test suites: a Ui that records every call, and scratch files.
#include <filesystem>
#include <string>
#include <vector>

#include "model/ui.h"

namespace lyricanvas::testing {

/// A Ui that records every message, question and log line and answers questions from a queue
/// (No when the queue is empty).
struct Recording_Ui {
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<std::string> focused;
  std::vector<std::string> statuses;
  std::vector<std::string> log;
  std::vector<Answer> answers;
  Ui ui();
};

/// A fresh temporary directory, removed when the object goes.
struct Temp_Dir {
  Temp_Dir();
  ~Temp_Dir();
  std::filesystem::path path;
  std::string File(const std::string& name) const { return (path / name).string(); }
};

std::string Read_File(const std::string& path);
void Write_File(const std::string& path, const std::string& bytes);
std::string Test_Data(const std::string& relative);

}  // namespace lyricanvas::testing
