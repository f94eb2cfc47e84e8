#include "convert/progress_strip.h"

namespace vantrel {

void ProgressStrip::Start(long records, const std::string& caption) {
  bar_.set_visible(true);
  bar_.set_max(records < 2 ? 1 : static_cast<int>(records - 1));
  bar_.set_value(0);
  frame_.set_visible(true);
  frame_.Refresh();
  caption_.set_visible(true);
  caption_.set_caption(caption);
  caption_.Refresh();
}

void ProgressStrip::Caption(const std::string& caption) {
  caption_.set_caption(caption);
  caption_.Refresh();
}

}  // namespace vantrel
