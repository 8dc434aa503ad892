// Every window's procedure is the error boundary: an error escaping a
// handler is reported, and the window goes on handling messages.
#include "widgets/base_window.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr UINT WM_APP_FAIL = WM_APP + 7, WM_APP_ECHO = WM_APP + 8;

class Failing : public BaseWindow<Failing> {
 public:
  Failing() { CreateOwnWindow("QvFailingTestWindow", "", WS_POPUP, 0, 0, 0, 10, 10); }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP_FAIL) throw std::runtime_error("Invalid data type for 'Desktop'");
    if (msg == WM_APP_ECHO) return static_cast<LRESULT>(wp) + 1;
    return Default(msg, wp, lp);
  }

 private:
  friend class BaseWindow<Failing>;
};

TEST(BaseWindow, AnEscapedErrorIsReportedAndTheWindowLivesOn) {
  std::vector<std::string> reported;
  const auto saved = WindowErrors::Report;
  WindowErrors::Report = [&](HWND, const std::exception& e) { reported.push_back(e.what()); };
  Failing w;
  ASSERT_NE(w.Handle(), nullptr);
  EXPECT_EQ(SendMessageA(w.Handle(), WM_APP_FAIL, 0, 0), 0);
  EXPECT_EQ(SendMessageA(w.Handle(), WM_APP_ECHO, 41, 0), 42);
  WindowErrors::Report = saved;
  EXPECT_EQ(reported, std::vector<std::string>{"Invalid data type for 'Desktop'"});
}

}  // namespace
