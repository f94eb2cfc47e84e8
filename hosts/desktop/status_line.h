// The window's status line: one line that shows as much of its text as fits,
// ending in "…" when it does not, with the whole text as its tooltip.
#ifndef VANTREL_HOSTS_DESKTOP_STATUS_LINE_H_
#define VANTREL_HOSTS_DESKTOP_STATUS_LINE_H_

#include <QLabel>

namespace vantrel::desktop {

class StatusLine : public QLabel {
 public:
  explicit StatusLine(QWidget* parent = nullptr);

  // Sets the whole text (text() gives it back) and the tooltip.
  void SetStatus(const QString& text);
  // The text as painted at the line's width now.
  QString shownText() const;

  // Any width will do: the line never holds the window wide.
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_HOSTS_DESKTOP_STATUS_LINE_H_
