#include "wizard_view.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

namespace vantrel::desktop {

namespace {

// What the model's order and grouping leave open: the title bar's colours,
// the entity rows of the list's second column, and the label drawn beside
// the one before it rather than below.
constexpr char kTitleBar[] = "Label1";
constexpr const char* kSecondColumn[] = {"Label13", "Label14"};
constexpr char kBesidePrevious[] = "lblTransfer2";
// What only tells that a run is under way: hidden behind its closing message.
constexpr const char* kPassingIndicators[] = {"lblTransfer2", "fraProgress"};

bool InSecondColumn(const platform::Control& c) {
  return std::any_of(std::begin(kSecondColumn), std::end(kSecondColumn),
                     [&](const char* name) { return c.name() == name; });
}

template <typename T>
bool Is(const platform::Control* c) {
  return dynamic_cast<const T*>(c) != nullptr;
}

bool IsCaptionlessBox(const platform::Control* c) {
  return Is<platform::CheckBox>(c) && c->caption().empty();
}

using Row = std::vector<platform::Control*>;

// Whether `c` is drawn in `row`, the row of the control before it: a label
// and its caption-less check box (either first), a label and the bar it
// names, buttons after buttons, options after options.
bool JoinsRow(const Row& row, const platform::Control* c) {
  const platform::Control* last = row.back();
  if (row.size() == 1 && Is<platform::Label>(last) && IsCaptionlessBox(c)) return true;
  if (row.size() == 1 && IsCaptionlessBox(last) && Is<platform::Label>(c)) return true;
  if (row.size() == 1 && Is<platform::Label>(last) && Is<platform::ProgressBar>(c)) return true;
  if (Is<platform::CommandButton>(last) && Is<platform::CommandButton>(c)) return true;
  if (Is<platform::OptionButton>(last) && Is<platform::OptionButton>(c)) return true;
  return c->name() == kBesidePrevious;
}

// A row of an entity: a label and its check box.
bool IsEntityRow(const Row& row) {
  return row.size() == 2 && (Is<platform::Label>(row[0]) != Is<platform::Label>(row[1])) &&
         (IsCaptionlessBox(row[0]) || IsCaptionlessBox(row[1]));
}

QString Text(const std::string& caption) { return QString::fromStdString(caption); }

}  // namespace

WizardView::WizardView(WizardScreen& screen, QWidget* parent) : QWidget(parent), screen_(screen) {
  // Rows of each container in screen order; a frame is a row of its own
  // container, and its controls are rows inside it.
  std::map<const platform::Control*, std::vector<Row>> rows;
  std::map<const platform::Control*, QWidget*> frames{{nullptr, this}};
  for (platform::Control* c : screen_.ControlsInOrder()) {
    std::vector<Row>& container_rows = rows[c->container()];
    if (!container_rows.empty() && JoinsRow(container_rows.back(), c)) {
      container_rows.back().push_back(c);
    } else {
      container_rows.push_back({c});
    }
    QWidget* widget = MakeWidget(*c, frames.at(c->container()));
    if (Is<platform::Frame>(c)) frames[c] = widget;
  }

  // Lays out each container: entity rows side by side in a grid (check box,
  // then label; the second column's rows beside the first ones), every other
  // row below the one before.
  for (const auto& [container, container_rows] : rows) {
    auto* column = new QVBoxLayout(frames.at(container));
    QGridLayout* grid = nullptr;
    int first_column_rows = 0, second_column_rows = 0;
    for (const Row& row : container_rows) {
      if (IsEntityRow(row)) {
        if (grid == nullptr) {
          grid = new QGridLayout;
          grid->setColumnStretch(2, 1);
          column->addLayout(grid);
          first_column_rows = second_column_rows = 0;
        }
        platform::Control* box = IsCaptionlessBox(row[0]) ? row[0] : row[1];
        platform::Control* label = box == row[0] ? row[1] : row[0];
        const bool second = InSecondColumn(*label);
        auto* cell = new QHBoxLayout;
        cell->addWidget(WidgetFor(box->name()));
        cell->addWidget(WidgetFor(label->name()), 1);
        static_cast<QLabel*>(WidgetFor(label->name()))->setBuddy(WidgetFor(box->name()));
        grid->addLayout(cell, second ? second_column_rows++ : first_column_rows++, second ? 1 : 0);
        continue;
      }
      grid = nullptr;
      // A taller window gives its room above the wizard's buttons, which
      // stay at the bottom with the lines under the screen.
      if (container == nullptr && Is<platform::CommandButton>(row.front()) && row.size() > 1) {
        column->addStretch(1);
      }
      auto* line = new QHBoxLayout;
      for (platform::Control* c : row) line->addWidget(WidgetFor(c->name()));
      if (Is<platform::ProgressBar>(row.back())) {
        // The running text keeps its room, so the bar does not jump as it grows.
        QWidget* label = WidgetFor(row.front()->name());
        label->setMinimumWidth(label->fontMetrics().averageCharWidth() * 36);
      } else if (!(row.size() == 1 &&
                   (Is<platform::Frame>(row[0]) || row[0]->name() == kTitleBar))) {
        // Frames and the title bar take the screen's width; the rest keep
        // to the left.
        line->addStretch(1);
      }
      column->addLayout(line);
    }
  }
  Sync();
}

WizardView::~WizardView() {
  if (hourglass_) QGuiApplication::restoreOverrideCursor();
}

QWidget* WizardView::MakeWidget(platform::Control& control, QWidget* parent) {
  QWidget* widget = nullptr;
  if (auto* box = dynamic_cast<platform::CheckBox*>(&control)) {
    auto* w = new QCheckBox(parent);
    connect(w, &QCheckBox::clicked, this, [this, box] {
      if (!Usable(*box)) return Sync();
      box->Click();
      Clicked(*box);
    });
    widget = w;
  } else if (auto* option = dynamic_cast<platform::OptionButton*>(&control)) {
    auto* w = new QRadioButton(parent);
    // The model keeps the group: Qt's own exclusivity would fight it.
    w->setAutoExclusive(false);
    connect(w, &QRadioButton::clicked, this, [this, option] {
      if (!Usable(*option)) return Sync();
      option->set_value(true);
      Clicked(*option);
    });
    widget = w;
  } else if (auto* button = dynamic_cast<platform::CommandButton*>(&control)) {
    auto* w = new QPushButton(parent);
    w->setAutoDefault(false);
    connect(w, &QPushButton::clicked, this, [this, button] {
      if (!Usable(*button)) return;
      emit AboutToClick(*button);
      button->Click();
      Clicked(*button);
    });
    widget = w;
  } else if (dynamic_cast<platform::ProgressBar*>(&control) != nullptr) {
    auto* w = new QProgressBar(parent);
    w->setTextVisible(false);
    widget = w;
  } else if (dynamic_cast<platform::Frame*>(&control) != nullptr) {
    widget = new QGroupBox(parent);
  } else {
    auto* w = new QLabel(parent);
    w->setTextFormat(Qt::PlainText);
    if (control.name() == kTitleBar) {
      w->setAutoFillBackground(true);
      QPalette palette = w->palette();
      palette.setColor(QPalette::Window, QColor(0, 0, 128));
      palette.setColor(QPalette::WindowText, Qt::white);
      w->setPalette(palette);
      QFont font = w->font();
      font.setBold(true);
      w->setFont(font);
      w->setMargin(4);
      // The caption centres the title with leading blanks; the layout does it
      // here, so that it stays centred at any width.
      w->setAlignment(Qt::AlignCenter);
    }
    widget = w;
  }
  widget->setObjectName(Text(control.name()));
  widget->setVisible(control.visible());
  // The screen keeps its shape: a hidden control leaves its place empty, as
  // on a form whose controls sit where they were put.
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
  bindings_.push_back({&control, widget});
  return widget;
}

bool WizardView::Usable(const platform::Control& control) const {
  if (!control.enabled()) return false;
  // Only inputs are held back; what shows the run's progress stays as it is.
  const bool input = dynamic_cast<const platform::CheckBox*>(&control) != nullptr ||
                     dynamic_cast<const platform::OptionButton*>(&control) != nullptr ||
                     dynamic_cast<const platform::CommandButton*>(&control) != nullptr;
  return !input || phase() == Phase::kIdle || &control == &screen_.cmdNav[1];
}

bool WizardView::Shown(const platform::Control& c) const {
  if (!c.visible()) return false;
  if (phase() != Phase::kClosing) return true;
  return std::none_of(std::begin(kPassingIndicators), std::end(kPassingIndicators),
                      [&](const char* name) { return c.name() == name; });
}

void WizardView::Clicked(platform::Control& control) {
  Sync();
  emit ControlClicked(control);
}

QWidget* WizardView::WidgetFor(const std::string& name) const {
  for (const Binding& b : bindings_) {
    if (b.control->name() == name) return b.widget;
  }
  return nullptr;
}

bool WizardView::SyncBinding(const Binding& binding) {
  const platform::Control& c = *binding.control;
  QWidget* w = binding.widget;
  const QString caption = Text(c.caption());
  if (auto* box = qobject_cast<QCheckBox*>(w)) {
    if (box->text() != caption) box->setText(caption);
    const QSignalBlocker blocker(box);
    box->setChecked(static_cast<const platform::CheckBox&>(c).value() == 1);
  } else if (auto* option = qobject_cast<QRadioButton*>(w)) {
    if (option->text() != caption) option->setText(caption);
    const QSignalBlocker blocker(option);
    option->setChecked(static_cast<const platform::OptionButton&>(c).value());
  } else if (auto* button = qobject_cast<QPushButton*>(w)) {
    if (button->text() != caption) button->setText(caption);
  } else if (auto* bar = qobject_cast<QProgressBar*>(w)) {
    const auto& model = static_cast<const platform::ProgressBar&>(c);
    // While a request waits the pass is not moving: the bar shows busy
    // instead of standing at its last value.
    if (phase() == Phase::kWaiting) {
      bar->setRange(0, 0);
    } else {
      bar->setRange(model.min(), model.max());
      bar->setValue(model.value());
    }
  } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
    if (frame->title() != caption) frame->setTitle(caption);
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    const QString shown = c.name() == kTitleBar ? caption.trimmed() : caption;
    if (label->text() != shown) label->setText(shown);
  }
  const bool usable = Usable(c);
  if (w->isEnabled() != usable) w->setEnabled(usable);
  const bool shown = Shown(c);
  if (w->isHidden() == shown) {
    w->setVisible(shown);
    return true;
  }
  return false;
}

void WizardView::SyncPointer() {
  const bool hourglass = screen_.screen.mouse_pointer() == platform::MousePointer::kHourglass;
  if (hourglass == hourglass_) return;
  hourglass_ = hourglass;
  if (hourglass) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
}

void WizardView::Sync() {
  bool shown_or_hidden = false;
  for (const Binding& b : bindings_) shown_or_hidden = SyncBinding(b) || shown_or_hidden;
  // Without the event loop the layout would place newly shown widgets late.
  if (shown_or_hidden && layout() != nullptr) layout()->activate();
  SyncPointer();
}

void WizardView::Redraw(const platform::Control& control) {
  Sync();
  for (const Binding& b : bindings_) {
    if (b.control == &control) {
      if (b.widget->isVisible()) b.widget->repaint();
      // A control hidden now leaves its place to be cleared.
      else if (QWidget* parent = b.widget->parentWidget())
        parent->repaint(b.widget->geometry());
      return;
    }
  }
}

}  // namespace vantrel::desktop
