// Answers queued for the platform dialogs a program will open, for a shell
// that plays them instead of asking a person: the headless shell of tests
// and the driver, and the driver's shell on real windows. An empty queue or
// nullopt answers as cancel does; a message box with no answer gets OK.
#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/shell.h"

namespace tavik::ui {

struct ScriptedAnswers {
  std::deque<MsgAnswer> messageAnswers;
  std::deque<std::optional<std::vector<std::string>>> openAnswers;
  std::deque<std::optional<std::string>> folderAnswers;
  std::deque<std::optional<FontChoice>> fontAnswers;
  std::deque<std::optional<int32_t>> colourAnswers;

  MsgAnswer NextMessageAnswer() { return Next(messageAnswers).value_or(MsgAnswer::Ok); }
  std::vector<std::string> NextOpenAnswer() { return Next(openAnswers).value_or(std::vector<std::string>{}); }
  std::optional<std::string> NextFolderAnswer() { return Next(folderAnswers); }
  // Each fills its argument and returns true when a choice is queued.
  bool NextFontAnswer(FontChoice& font) { return Take(fontAnswers, font); }
  bool NextColourAnswer(int32_t& colour) { return Take(colourAnswers, colour); }

 private:
  template <typename T>
  static std::optional<T> Next(std::deque<T>& q) {
    if (q.empty()) return std::nullopt;
    std::optional<T> a = std::move(q.front());
    q.pop_front();
    return a;
  }
  template <typename T>
  static std::optional<T> Next(std::deque<std::optional<T>>& q) {
    if (q.empty()) return std::nullopt;
    std::optional<T> a = std::move(q.front());
    q.pop_front();
    return a;
  }
  template <typename T>
  static bool Take(std::deque<std::optional<T>>& q, T& out) {
    std::optional<T> a = Next(q);
    if (a) out = std::move(*a);
    return a.has_value();
  }
};

}  // namespace tavik::ui
