// The run's progress as lines for the desktop wizard's log: the stages of the
// communication panel as their captions change, and each pass's first and
// last running text (not every record's count in between).
#ifndef VANTREL_HOSTS_DESKTOP_PROGRESS_LINES_H_
#define VANTREL_HOSTS_DESKTOP_PROGRESS_LINES_H_

#include <string>
#include <vector>

namespace vantrel::desktop {

class ProgressLines {
 public:
  // The control `name` was redrawn with `caption`. Returns the lines this
  // adds: a stage caption (lblContacting, lblWaiting, lblTransfer1,
  // lblProcessing) that differs from the one logged last for it, after the
  // pass's latest count not logged yet; a running
  // text (lblProcess) whose pass differs from the last one's, after the last
  // count of the pass before. Other controls and empty captions add none.
  std::vector<std::string> Redrawn(const std::string& name, const std::string& caption);
  // The latest count of the pass under way, when not logged yet.
  std::vector<std::string> Flush();
  // Flush, then the lines start afresh for the next run.
  std::vector<std::string> Finish();

 private:
  std::vector<std::pair<std::string, std::string>> stages_;  // control, caption logged
  std::string pass_;     // the running text of the pass without its count
  std::string pending_;  // its latest count, not logged yet
};

// `caption` without a trailing " (N)" or "(N)" count: "Getting Items from QB (3)"
// gives "Getting Items from QB".
std::string WithoutCount(const std::string& caption);

}  // namespace vantrel::desktop

#endif  // VANTREL_HOSTS_DESKTOP_PROGRESS_LINES_H_
