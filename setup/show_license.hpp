// TForm2: the licence window, created hidden at start-up.
#pragma once

#include "setup/base_window.hpp"

class TForm2 : public BaseWindow<TForm2> {
 public:
  bool Create();
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

 private:
  friend class BaseWindow<TForm2>;
};
