// Small queries the start-up needs: the program's directory, the screen's
// colour depth, and the subdirectories of a folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Directory part of the program's own path, with its trailing backslash.
std::string ProgramDir();
// Bits per pixel times colour planes of the screen.
int ColorDepth();
// Adds the names of dir's subdirectories (not ".", "..", hidden or system)
// to names; returns how many were added.
int ListSubDirs(const std::string& dir, std::vector<std::string>& names);
// Sorts names ignoring letter case and drops names already present.
void SortUnique(std::vector<std::string>& names);
