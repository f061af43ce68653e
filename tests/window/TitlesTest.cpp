// The titles the X server holds (_NET_WM_NAME, under Xvfb on the xcb platform): the platform
// appends the application's display name, when there is one, to Qt's own title.

#include <xcb/xcb.h>

#include <QDialog>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

#include "WindowFixture.h"
#include "window/ApplicationIdentity.h"

namespace vexaro {

namespace {

template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

// The window's _NET_WM_NAME as the X server holds it.
QString NetWmName(const QWidget* window) {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11->connection();
  const auto atom = [connection](const char* name) {
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name),
                              nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  };
  const XcbReply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(connection,
                             xcb_get_property(connection, 0, window->winId(), atom("_NET_WM_NAME"),
                                              atom("UTF8_STRING"), 0, 256),
                             nullptr),
      &std::free);
  if (!reply) return {};
  return QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply.get())),
                           xcb_get_property_value_length(reply.get()));
}

}  // namespace

class TitlesTest : public QObject, public WindowFixture {
  Q_OBJECT

  // Runs `open` and, while the modal dialog it opens is up, reads its title from the server
  // and closes it.
  QString titleOfModal(const std::function<void()>& open) {
    QString title;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        title = NetWmName(dialog);
        dialog->reject();
      }
    });
    closer.start(10);
    open();
    return title;
  }

 private slots:
  void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QString("xcb")); }
  void cleanup() { destroyWindow(); }

  void everyWindowShowsItsDesignedTitleAlone() {
    makeWindow();
    QCOMPARE(NetWmName(window_.get()), QString("Vexaro  -  Version 3.0"));

    QtDialogs dialogs;
    dialogs.setWindow(window_.get());
    for (const char* title : {"Upload Error", "Value Entry Error", "File Error"}) {
      QCOMPARE(titleOfModal([&] { dialogs.showMessage(title, "text", Dialogs::Icon::Warning); }),
               QString(title));
    }
    QCOMPARE(titleOfModal([&] { dialogs.openFile("Open Melody File", "All (*.*)|*.*"); }),
             QString("Open Melody File"));
    dialogs.showHelp("/nonexistent/vexarohelp.html", 900);
    QCOMPARE(NetWmName(window_->findChild<QWidget*>("helpViewer")),
             QString("Vexaro USB Link Help"));
  }
};

}  // namespace vexaro

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  vexaro::SetApplicationIdentity("0");  // as the window program does
  vexaro::TitlesTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "TitlesTest.moc"
