#include "window/Widgets.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace vexaro {

void StatusLamp::setFillColor(const QColor& color) {
  fill_ = color;
  update();
}

void StatusLamp::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(fill_);
  painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

QRect WrapButton::captionRect() const {
  QStyleOptionButton option;
  initStyleOption(&option);
  return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
}

int WrapButton::captionHeight() const {
  return fontMetrics()
      .boundingRect(captionRect(), Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                    text())
      .height();
}

void WrapButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QString caption = option.text;
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
  painter.drawText(captionRect(), Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                   caption);
}

}  // namespace vexaro
