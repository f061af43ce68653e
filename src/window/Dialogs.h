#pragma once
// The window's dialogs behind one seam: message boxes, the file dialogs and the help. The Qt
// implementation is modal; tests record what is asked and answer from a script.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

namespace vexaro {

class Dialogs {
 public:
  enum class Icon { Information, Warning, Critical };

  virtual ~Dialogs() = default;

  // A message with a single OK button; returns when the user has closed it.
  virtual void showMessage(const QString& title, const QString& text, Icon icon) = 0;

  // A file-open dialog. `filter` is the list of "description|patterns" pairs joined by "|", as
  // "Text (*.txt)|*.txt|All (*.*)|*.*". Returns the chosen path, or nothing when cancelled.
  virtual std::optional<QString> openFile(const QString& title, const QString& filter) = 0;

  // A file-save dialog with the same `filter`; a name typed without an extension gets the first
  // pattern's (".json" for "*.json"), and an existing file is replaced only once the user agrees.
  // Returns the chosen path, or nothing when cancelled.
  virtual std::optional<QString> saveFile(const QString& title, const QString& filter) = 0;

  // The help file at the topic with this context number.
  virtual void showHelp(const QString& helpFile, int context) = 0;
};

// The Qt dialogs, modal to `window`.
class QtDialogs final : public Dialogs {
 public:
  QtDialogs();
  ~QtDialogs() override;
  void setWindow(QWidget* window) { window_ = window; }

  void showMessage(const QString& title, const QString& text, Icon icon) override;
  std::optional<QString> openFile(const QString& title, const QString& filter) override;
  std::optional<QString> saveFile(const QString& title, const QString& filter) override;
  void showHelp(const QString& helpFile, int context) override;

 private:
  QWidget* window_ = nullptr;
  QPointer<QWidget> helpViewer_;
};

// Turns a "description|patterns|description|patterns" filter into Qt's form
// "description (patterns);;...", patterns separated by blanks.
QString QtFileFilter(const QString& filter);

}  // namespace vexaro
