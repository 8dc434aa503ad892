// The application title: the caption of every message box the program shows;
// and where the package's parts lie, found once at start.
#pragma once

#include <string>

#include "engine/package_source.hpp"

namespace Application {
inline std::string Title = "Setup";
inline PackagePlace Package;
}  // namespace Application
