// The application title: the caption of every message box the program shows.
#pragma once

#include <string>

namespace Application {
inline std::string Title = "Setup";
}  // namespace Application
