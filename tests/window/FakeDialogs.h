#pragma once
// Dialogs for window tests: records every request and answers from a script.

#include <QStringList>
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
  struct FileRequest {
    QString title;
    QString filter;
  };
  struct HelpRequest {
    QString file;
    int context;
  };

  void ShowMessage(const QString& title, const QString& text, Icon icon) override {
    messages.push_back({title, text, icon});
    if (whileShown) whileShown();
  }
  std::optional<QString> OpenFile(const QString& title, const QString& filter) override {
    fileRequests.push_back({title, filter});
    if (fileAnswers.empty()) return std::nullopt;
    const QString answer = fileAnswers.front().value_or(QString());
    const bool chosen = fileAnswers.front().has_value();
    fileAnswers.pop_front();
    if (!chosen) return std::nullopt;
    return answer;
  }
  void ShowHelp(const QString& file, int context) override { help.push_back({file, context}); }

  std::vector<Message> messages;
  std::vector<FileRequest> fileRequests;
  std::deque<std::optional<QString>> fileAnswers;
  std::vector<HelpRequest> help;
  // Runs while a message is up: what the window shows behind it.
  std::function<void()> whileShown;
};

}  // namespace vexaro
