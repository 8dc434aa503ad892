// The engine's prompts and progress as the main window shows them: message
// boxes, the file error box, the status line and the file progress bar.
#pragma once

#include <windows.h>

#include <functional>

#include "engine/progress.hpp"

class WindowPrompts : public TPrompts {
 public:
  explicit WindowPrompts(HWND owner) : owner_(owner) {}
  void Message(const std::string& text) override;
  Answer Question(const std::string& text) override;
  Answer AbortOrIgnore(const std::string& text) override;

 private:
  HWND owner_;
};

class WindowProgress : public TProgress {
 public:
  // handleInput takes one pending message (keys, clicks) as the message
  // loop would; onQuit runs when a quit request arrives meanwhile.
  WindowProgress(HWND status, HWND bar, std::function<void(MSG&)> handleInput,
                 std::function<void(int)> onQuit)
      : status_(status),
        bar_(bar),
        handleInput_(std::move(handleInput)),
        onQuit_(std::move(onQuit)) {}
  void Status(const std::string& text) override;
  void FileProgress(int percent) override;
  void ProcessPendingInput() override;

 private:
  HWND status_, bar_;
  std::function<void(MSG&)> handleInput_;
  std::function<void(int)> onQuit_;
};
