// The results of the last run under the wizard: the per-entity table of the
// run report (the command line's table, cell for cell), the run's times and
// the hints the command line prints after a run.
#ifndef VANTREL_HOSTS_DESKTOP_RESULTS_PANEL_H_
#define VANTREL_HOSTS_DESKTOP_RESULTS_PANEL_H_

#include <QWidget>
#include <string>
#include <vector>

#include "common/results_table.h"

class QLabel;
class QPlainTextEdit;
class QTableWidget;

namespace vantrel::desktop {

class ResultsPanel : public QWidget {
 public:
  // Children by object name: "resultsTable", "resultsDuration",
  // "resultsHints" (hidden when there are none).
  explicit ResultsPanel(QWidget* parent = nullptr);

  // Shows `table` (a row per entity, figures right-aligned; no rows for a run
  // that ended before its passes) and `hints`, one a line.
  void Show(const host::ResultsTable& table, const std::vector<std::string>& hints);
  // No rows, no times, no hints: while a run goes on.
  void Clear();
  // As wide as every column and as tall as it takes to show every row (ten
  // at most), the times and the hints.
  QSize sizeHint() const override;

 private:
  QTableWidget* table_;
  QLabel* duration_;
  QPlainTextEdit* hints_;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_HOSTS_DESKTOP_RESULTS_PANEL_H_
