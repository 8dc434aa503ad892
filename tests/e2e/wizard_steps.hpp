// Steps of the wizard that several end-to-end tests walk alike.
#pragma once

#include <gtest/gtest.h>

#include "setup/control_ids.hpp"
#include "tests/e2e/driver.hpp"

namespace e2e {

// The sample program, started at the end of an installation: closed again.
inline void CloseSampleApplication() {
  for (int i = 0; i < 100; ++i) {
    if (HWND app = FindWindowA("QuorvaneNotes", nullptr)) {
      PostMessageA(app, WM_CLOSE, 0, 0);
      Sleep(500);
      return;
    }
    Sleep(100);
  }
}

// From the options page: Setup, Yes to making the path, "Setup Completed!",
// the program's end with 0 and the started application closed.
inline void SetupToCompletion(SetupProcess& setup, HWND main) {
  ClickControl(GetDlgItem(main, ids::kSetupButton));
  HWND ask = setup.WaitForMessageBox(10000);
  ASSERT_NE(ask, nullptr);
  Answer(ask, IDYES);
  HWND done = setup.WaitForMessageBox(60000);
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(MessageText(done), "Setup Completed!");
  PressButton(done, IDOK);
  EXPECT_EQ(setup.WaitForExit(15000), 0);
  CloseSampleApplication();
}

}  // namespace e2e
