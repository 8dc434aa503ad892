// Administrator rights: whether this run has them, asking Windows for them
// in a restarted copy, and starting a program without them.
#pragma once

#include <cstdint>
#include <string>

// True when this process lacks administrator rights that Windows could
// grant on asking (a limited token under User Account Control, or a
// standard user); false when it has them or the system cannot tell.
bool LacksAdminRights();

struct ElevatedRun {
  bool started = false;
  uint32_t error = 0;     // why it did not start (ERROR_CANCELLED: refused)
  uint32_t exitCode = 0;  // the copy's own exit code once it ended
};

// Starts program with arguments through the "runas" verb and waits for it
// to end.
ElevatedRun RunElevated(const std::string& program, const std::string& arguments, int show);

// Starts program in folder as the user signed in at the desktop: with the
// shell's own token when this process is elevated, so that an application
// does not run with an installer's rights; as before (ShellExecute)
// otherwise, or where there is no shell to take the token from.
bool StartAsSignedInUser(const std::string& program, const std::string& folder);
