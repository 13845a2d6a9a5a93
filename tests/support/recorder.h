// Test helpers for dialogs: a message-box recorder and a message pump that
// waits for a condition while letting workers send their messages.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

struct RecordedBox {
  std::string caption;
  std::string text;
  UINT style;
};

// Replaces every message box while it lives. Answers come from a queue of
// given answers, else IDOK (IDYES for Yes/No questions).
class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  void QueueAnswer(int answer);
  std::vector<RecordedBox> Boxes() const;
  size_t Count() const;
  // The last box's text, or empty.
  std::string LastText() const;

 private:
  mutable std::mutex lock_;
  std::vector<RecordedBox> boxes_;
  std::deque<int> answers_;
};

// Dispatches messages of the calling thread until done() holds or the time
// runs out; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 60000);

// Dispatches what is pending for about ms milliseconds.
void PumpFor(DWORD ms);

// Startup programs (and any report list): the header text and pixel width
// of every column of a list view of this process, in column order.
struct ListColumn {
  std::string header;
  int width;
  bool operator==(const ListColumn& o) const { return header == o.header && width == o.width; }
};
std::vector<ListColumn> ListColumns(HWND list);

}  // namespace testing_support
