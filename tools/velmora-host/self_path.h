// Where the running program lives, and who it is; one implementation per
// platform (self_path_posix.cpp, self_path_win32.cpp).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velmora::cli {

// The folder holding this executable; empty when it can't be told.
std::filesystem::path ExecutableFolder();

// The process id, for temporary file names.
long ProcessId();

// The arguments after the program's name, as UTF-8. Windows hands main
// them in the ANSI code page, which loses names outside it; the wide
// command line keeps them.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Whether standard error is a terminal (a live progress bar is drawn only then).
bool StderrIsTerminal();

}  // namespace velmora::cli
