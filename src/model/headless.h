#pragma once
// Environment for programs that run Qt without a display (the command-line tool, tests, fuzz
// targets, benchmarks): the offscreen platform unless another is asked for, and a private
// runtime directory when the session has none, so Qt has no reason to complain on stderr.
namespace lyricanvas {

void Prepare_Headless_Environment();

}  // namespace lyricanvas
