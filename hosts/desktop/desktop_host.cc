#include "desktop_host.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>

namespace vantrel::desktop {

std::string DisplayText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

void DesktopHost::ShowMessage(const std::string& text, platform::MessageStyle style) {
  messages_.push_back({text, style, hint_ ? hint_() : std::string()});
  if (on_message_) on_message_(messages_.back());
  // The screen as the core left it shows behind the box, pointer included.
  if (view_) view_->Sync();
  QMessageBox box(
      style == platform::MessageStyle::kCritical ? QMessageBox::Critical : QMessageBox::Information,
      kWindowTitle, QString::fromStdString(DisplayText(text)), QMessageBox::Ok,
      view_ ? view_->window() : nullptr);
  box.setTextFormat(Qt::PlainText);
  // The hint goes under the message, which keeps its own text.
  if (!messages_.back().hint.empty()) {
    box.setInformativeText(QString::fromStdString(messages_.back().hint));
  }
  box.exec();
}

void DesktopHost::ProcessPendingEvents() {
  if (view_) view_->Sync();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void DesktopHost::Redrawn(const platform::Control& control) {
  if (view_) view_->Redraw(control);
  if (on_redrawn_) on_redrawn_(control);
}

}  // namespace vantrel::desktop
