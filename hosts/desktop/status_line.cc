#include "status_line.h"

#include <QPainter>
#include <QStyle>

namespace vantrel::desktop {

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void StatusLine::SetStatus(const QString& text) {
  setText(text);
  setToolTip(text);
  update();
}

QString StatusLine::shownText() const {
  return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

QSize StatusLine::minimumSizeHint() const { return QSize(0, QLabel::minimumSizeHint().height()); }

void StatusLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  style()->drawItemText(&painter, contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, palette(),
                        isEnabled(), shownText(), foregroundRole());
}

}  // namespace vantrel::desktop
