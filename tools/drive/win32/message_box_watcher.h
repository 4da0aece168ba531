// The program's message boxes stay real; the driver finds each one on the
// program's thread, records what it says and answers it.
#pragma once
#include <windows.h>
#include <vector>

#include "drive/target.h"
#include "ui/scripted_answers.h"

namespace tavik::drive {

// Used from the script's thread only.
class MessageBoxWatcher {
 public:
  void Watch(DWORD threadId) { threadId_ = threadId; }
  void QueueAnswer(ui::MsgAnswer answer) { answers_.messageAnswers.push_back(answer); }
  bool AnswerOpenBox();
  // The boxes answered since the last call, oldest first.
  std::vector<MessageInfo> Take() { return std::move(seen_); }

 private:
  DWORD threadId_ = 0;
  ui::ScriptedAnswers answers_;  // only its message answers: for the next boxes
  std::vector<MessageInfo> seen_;
};

}  // namespace tavik::drive
