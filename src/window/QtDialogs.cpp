#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "window/Dialogs.h"

namespace vexaro {

namespace {

// The help window: a text browser opened at the topic's anchor.
class HelpViewer final : public QWidget {
 public:
  explicit HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("helpViewer");
    setWindowTitle("Vexaro USB Link Help");
    resize(560, 600);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("helpBrowser");
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
  }

  void showTopic(const QString& helpFile, int context) {
    if (QFileInfo(helpFile).isReadable()) {
      QUrl url = QUrl::fromLocalFile(helpFile);
      url.setFragment(QString::number(context));
      if (browser_->source().adjusted(QUrl::RemoveFragment) == url.adjusted(QUrl::RemoveFragment)) {
        browser_->scrollToAnchor(url.fragment());
      } else {
        browser_->setSource(url);
      }
    } else {
      browser_->setHtml(
          QString("<h2>Help is not available</h2><p>The help file <code>%1</code> was not found. "
                  "It is installed beside the program; reinstalling Vexaro USB Link puts it "
                  "back.</p>")
              .arg(helpFile.toHtmlEscaped()));
    }
    show();
    raise();
    activateWindow();
  }

 private:
  QTextBrowser* browser_ = nullptr;
};

}  // namespace

QString QtFileFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (QString pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      pattern = pattern.trimmed();
      patterns << (pattern == "*.*" ? "*" : pattern);  // on Linux a name need not have a dot
    }
    entries << parts[i] + " (" + patterns.join(' ') + ")";
  }
  return entries.join(";;");
}

QtDialogs::QtDialogs() = default;
QtDialogs::~QtDialogs() {
  if (helpViewer_ != nullptr && helpViewer_->parent() == nullptr) delete helpViewer_;
}

void QtDialogs::showMessage(const QString& title, const QString& text, Icon icon) {
  const QMessageBox::Icon qtIcon = icon == Icon::Critical  ? QMessageBox::Critical
                                   : icon == Icon::Warning ? QMessageBox::Warning
                                                           : QMessageBox::Information;
  QMessageBox box(qtIcon, title, text, QMessageBox::Ok, window_);
  box.exec();
}

std::optional<QString> QtDialogs::openFile(const QString& title, const QString& filter) {
  QFileDialog dialog(window_, title, QDir::currentPath(), QtFileFilter(filter));
  dialog.setFileMode(QFileDialog::ExistingFile);
  // The descriptions already name their patterns.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

std::optional<QString> QtDialogs::saveFile(const QString& title, const QString& filter) {
  QFileDialog dialog(window_, title, QDir::currentPath(), QtFileFilter(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  // "*.json" of the first pair: a name typed as "my-vexaro" is saved as "my-vexaro.json".
  const QString pattern = filter.section('|', 1, 1).section(';', 0, 0).trimmed();
  if (pattern.startsWith("*.") && pattern != "*.*") dialog.setDefaultSuffix(pattern.mid(2));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

void QtDialogs::showHelp(const QString& helpFile, int context) {
  if (helpViewer_ == nullptr) helpViewer_ = new HelpViewer(window_);
  static_cast<HelpViewer*>(helpViewer_.data())->showTopic(helpFile, context);
}

}  // namespace vexaro
