// Where this clone keeps what the tests read and run. The paths are compiled into one
// generated file only: no other file's compile depends on where the clone lies, so the
// compiler cache serves a clone at any path.
#pragma once

#include <string>

// `relative` below the tree's root.
std::string SourcePath(const std::string& relative);
// `relative` below the build folder.
std::string BuildPath(const std::string& relative);
// The catalogues the build makes for the program.
std::string ShippedLocaleDir();
// The program itself.
std::string ProgramPath();
// The build tool that builds this folder.
std::string MakeProgram();
