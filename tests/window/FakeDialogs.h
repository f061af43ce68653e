#pragma once
// Dialogs for window tests: records every request and answers from a script.

#include <QtTest>
#include <deque>
#include <functional>
#include <vector>

#include "window/Dialogs.h"

namespace vexaro {

class FakeDialogs final : public Dialogs {
 public:
  struct Message {
    QString title;
    QString text;
    Icon icon;
  };

  void showMessage(const QString& title, const QString& text, Icon icon) override {
    messages.push_back({title, text, icon});
    if (whileShown) whileShown();
  }
  std::optional<QString> openFile(const QString& title, const QString& filter) override {
    fileRequests.push_back({title, filter});
    if (fileAnswers.empty()) return std::nullopt;
    const std::optional<QString> answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
  }
  std::optional<QString> saveFile(const QString& title, const QString& filter) override {
    ++saveRequests;
    return openFile(title, filter);  // recorded and answered alike
  }
  void showHelp(const QString& file, int context) override { help.emplace_back(file, context); }

  // The last message shown, and that it is the `count`th.
  void expectLast(std::size_t count, const QString& title, const QString& text, Icon icon) const {
    QCOMPARE(messages.size(), count);
    QCOMPARE(messages.back().title, title);
    QCOMPARE(messages.back().text, text);
    QCOMPARE(messages.back().icon, icon);
  }

  std::vector<Message> messages;
  std::vector<std::pair<QString, QString>> fileRequests;  // title, filter
  std::deque<std::optional<QString>> fileAnswers;         // nothing: cancelled
  std::size_t saveRequests = 0;                           // of the file requests
  std::vector<std::pair<QString, int>> help;              // file, context
  // Runs while a message is up: what the window shows behind it.
  std::function<void()> whileShown;
};

}  // namespace vexaro
