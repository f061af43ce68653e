#pragma once
// Two small controls that Qt has no ready equivalent for.

#include <QColor>
#include <QPushButton>
#include <QWidget>

namespace vexaro {

// The connection lamp: a filled circle.
class StatusLamp final : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QColor fillColor READ fillColor WRITE setFillColor)

 public:
  explicit StatusLamp(QWidget* parent = nullptr) : QWidget(parent) {}
  QColor fillColor() const { return fill_; }
  void setFillColor(const QColor& color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor fill_{255, 0, 0};
};

// A push button whose caption breaks onto several lines when it is wider than the button.
class WrapButton final : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;
  // The height the caption needs at the button's width.
  int captionHeight() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect captionRect() const;
};

}  // namespace vexaro
