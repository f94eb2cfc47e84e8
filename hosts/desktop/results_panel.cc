#include "results_panel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vantrel::desktop {

ResultsPanel::ResultsPanel(QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  table_ = new QTableWidget(this);
  table_->setObjectName("resultsTable");
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  duration_ = new QLabel(this);
  duration_->setObjectName("resultsDuration");
  duration_->setTextFormat(Qt::PlainText);
  hints_ = new QPlainTextEdit(this);
  hints_->setObjectName("resultsHints");
  hints_->setReadOnly(true);
  hints_->setMaximumHeight(hints_->fontMetrics().lineSpacing() * 5);
  hints_->hide();
  column->addWidget(table_, 1);
  column->addWidget(duration_);
  column->addWidget(hints_);
}

void ResultsPanel::Show(const host::ResultsTable& table, const std::vector<std::string>& hints) {
  table_->clear();
  table_->setColumnCount(static_cast<int>(table.columns.size()));
  table_->setRowCount(static_cast<int>(table.rows.size()));
  QStringList headings;
  for (const std::string& heading : table.columns) headings << QString::fromStdString(heading);
  table_->setHorizontalHeaderLabels(headings);
  for (int r = 0; r < table_->rowCount(); ++r) {
    const std::vector<std::string>& row = table.rows[r];
    for (int c = 0; c < table_->columnCount() && c < static_cast<int>(row.size()); ++c) {
      auto* item = new QTableWidgetItem(QString::fromStdString(row[c]));
      // The entity's name reads left to right; the figures line up on the right.
      item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                    : Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(r, c, item);
    }
  }
  duration_->setText(QString::fromStdString(table.duration));
  QString lines;
  for (const std::string& hint : hints) lines += "hint: " + QString::fromStdString(hint) + "\n";
  hints_->setPlainText(lines.trimmed());
  hints_->setVisible(!hints.empty());
}

void ResultsPanel::Clear() { Show(host::ResultsTable(), {}); }

QSize ResultsPanel::sizeHint() const {
  table_->resizeRowsToContents();
  const int rows = table_->rowCount();
  const int shown = rows <= 10 ? table_->verticalHeader()->length()
                               : table_->verticalHeader()->length() * 10 / rows;
  int height = table_->horizontalHeader()->sizeHint().height() + 2 * table_->frameWidth() + shown +
               table_->horizontalScrollBar()->sizeHint().height();
  height += duration_->sizeHint().height() + layout()->spacing();
  if (!hints_->isHidden()) height += hints_->maximumHeight() + layout()->spacing();
  const QMargins margins = layout()->contentsMargins();
  const int width = table_->horizontalHeader()->length() + 2 * table_->frameWidth() +
                    table_->verticalScrollBar()->sizeHint().width() + margins.left() +
                    margins.right();
  return QSize(width, height + margins.top() + margins.bottom());
}

}  // namespace vantrel::desktop
