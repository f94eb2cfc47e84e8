// The wizard's progress strip as a pass drives it: the bar, its frame and
// the caption above it.
#ifndef VANTREL_CONVERT_PROGRESS_STRIP_H_
#define VANTREL_CONVERT_PROGRESS_STRIP_H_

#include <string>

#include "platform/forms.h"

namespace vantrel {

class ProgressStrip {
 public:
  // The controls are the screen's and must outlive the strip.
  ProgressStrip(platform::ProgressBar& bar, platform::Frame& frame, platform::Label& caption)
      : bar_(bar), frame_(frame), caption_(caption) {}

  // Shows the strip for `records` records (the bar from 0 to records - 1,
  // at least 1) with `caption`, each redrawn at once.
  void Start(long records, const std::string& caption);
  // The bar at `position`.
  void Step(long position) { bar_.set_value(static_cast<int>(position)); }
  // A new caption, redrawn at once.
  void Caption(const std::string& caption);
  // Hides the strip's frame.
  void Hide() { frame_.set_visible(false); }

 private:
  platform::ProgressBar& bar_;
  platform::Frame& frame_;
  platform::Label& caption_;
};

}  // namespace vantrel

#endif  // VANTREL_CONVERT_PROGRESS_STRIP_H_
