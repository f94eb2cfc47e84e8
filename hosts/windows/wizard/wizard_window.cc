#include "wizard_window.h"

#include <commctrl.h>

#include <cstdio>
#include <fstream>

#include "common/run_end.h"

namespace vantrel::winhost {

using platform::win::Narrow;
using platform::win::Widen;

namespace {

constexpr wchar_t kClassName[] = L"VantrelWizardWindow";
constexpr int kRow = 24;
constexpr int kColumnWidth = 320;
constexpr int kFirstId = 100;

const wchar_t* ClassOf(const platform::Control& c, DWORD& style) {
  style = WS_CHILD;
  if (dynamic_cast<const platform::CheckBox*>(&c)) {
    style |= BS_CHECKBOX | WS_TABSTOP;
    return L"BUTTON";
  }
  if (dynamic_cast<const platform::OptionButton*>(&c)) {
    style |= BS_RADIOBUTTON | WS_TABSTOP;
    return L"BUTTON";
  }
  if (dynamic_cast<const platform::CommandButton*>(&c)) {
    style |= BS_PUSHBUTTON | WS_TABSTOP;
    return L"BUTTON";
  }
  if (dynamic_cast<const platform::Frame*>(&c)) {
    style |= BS_GROUPBOX;
    return L"BUTTON";
  }
  if (dynamic_cast<const platform::ProgressBar*>(&c)) {
    style |= PBS_SMOOTH;
    return PROGRESS_CLASSW;
  }
  return L"STATIC";
}

}  // namespace

WizardWindow::WizardWindow(bool quiet_messages) : quiet_messages_(quiet_messages) {}

WizardWindow::~WizardWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool WizardWindow::Create(const std::string& title) {
  INITCOMMONCONTROLSEX common{sizeof(common), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &WizardWindow::WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
  hwnd_ = CreateWindowExW(0, kClassName, Widen(title).c_str(),
                          WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                          CW_USEDEFAULT, 2 * kColumnWidth + 50, 640, nullptr, nullptr, wc.hInstance,
                          this);
  if (hwnd_ == nullptr) return false;
  CreateChildren();
  SyncAll();
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  return true;
}

void WizardWindow::CreateChildren() {
  ctl_->screen().SetHost(this);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  int column = 0, y = 10, id = kFirstId;
  const platform::Control* open_frame = nullptr;
  HWND frame_window = nullptr;
  int frame_top = 0;
  HWND last_label = nullptr;
  int label_y = 0;
  auto close_frame = [&] {
    if (frame_window == nullptr) return;
    y += 6;
    SetWindowPos(frame_window, nullptr, 0, 0, kColumnWidth, y - frame_top,
                 SWP_NOMOVE | SWP_NOZORDER);
    y += 6;
    frame_window = nullptr;
    open_frame = nullptr;
  };
  for (platform::Control* c : ctl_->screen().ControlsInOrder()) {
    if (open_frame != nullptr && c->container() != open_frame) close_frame();
    // The communication panel and what follows it take the second column.
    if (column == 0 && c->name() == "frameComm") column = 1, y = 10;
    DWORD style = 0;
    const wchar_t* window_class = ClassOf(*c, style);
    const int indent = c->container() != nullptr ? 12 : 0;
    const int x = 10 + column * (kColumnWidth + 20) + indent;
    const bool is_frame = dynamic_cast<platform::Frame*>(c) != nullptr;
    // A check box without a caption ticks the label above it: it goes to
    // the label's left, on its row.
    const bool ticks_label = dynamic_cast<platform::CheckBox*>(c) != nullptr &&
                             c->caption().empty() && last_label != nullptr;
    const int height = c->caption().size() > 48 && !ticks_label ? 2 * kRow - 4 : kRow - 4;
    if (ticks_label) {
      y = label_y;
      SetWindowPos(last_label, nullptr, x + 22, y, kColumnWidth - 2 * indent - 22, height,
                   SWP_NOZORDER);
    }
    HWND w = CreateWindowExW(0, window_class, Widen(c->caption()).c_str(), style, x, y,
                             ticks_label ? 18 : kColumnWidth - 2 * indent, height, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    last_label = dynamic_cast<platform::Label*>(c) != nullptr ? w : nullptr;
    label_y = y;
    SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    windows_[c] = w;
    by_id_[id++] = c;
    if (is_frame) {
      open_frame = c;
      frame_window = w;
      frame_top = y;
      y += kRow - 4;
    } else {
      y += height + 4;
    }
  }
  close_frame();
  status_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 10, 580,
                            2 * kColumnWidth + 20, kRow - 4, hwnd_, nullptr, nullptr, nullptr);
  SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void WizardWindow::Sync(const platform::Control& c) {
  auto it = windows_.find(&c);
  if (it == windows_.end()) return;
  HWND w = it->second;
  const std::wstring caption = Widen(c.caption());
  wchar_t current[512] = {};
  GetWindowTextW(w, current, 512);
  if (caption != current) SetWindowTextW(w, caption.c_str());
  if (auto* box = dynamic_cast<const platform::CheckBox*>(&c)) {
    SendMessageW(w, BM_SETCHECK, box->value() == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
  } else if (auto* option = dynamic_cast<const platform::OptionButton*>(&c)) {
    SendMessageW(w, BM_SETCHECK, option->value() ? BST_CHECKED : BST_UNCHECKED, 0);
  } else if (auto* bar = dynamic_cast<const platform::ProgressBar*>(&c)) {
    SendMessageW(w, PBM_SETRANGE32, bar->min(), bar->max());
    SendMessageW(w, PBM_SETPOS, bar->value(), 0);
  }
  EnableWindow(w, c.enabled());
  ShowWindow(w, c.IsShown() ? SW_SHOWNA : SW_HIDE);
}

void WizardWindow::SyncAll() {
  for (const auto& [control, window] : windows_) Sync(*control);
  // The screen's mouse pointer.
  const bool busy = ctl_->screen().screen.mouse_pointer() == platform::MousePointer::kHourglass;
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(busy ? IDC_WAIT : IDC_ARROW)));
  UpdateStatus();
}

void WizardWindow::UpdateStatus() {
  if (status_ == nullptr) return;
  std::string text = ctl_->running() ? "Running..." : "";
  if (!ctl_->running() && ctl_->last_run_end() != RunEnd::kNotRun) {
    text = std::string("Last run: ") + host::RunEndName(ctl_->last_run_end());
  }
  if (!messages_.empty() && !ctl_->running()) text += "  |  " + messages_.back();
  SetWindowTextW(status_, Widen(text).c_str());
}

void WizardWindow::Redrawn(const platform::Control& control) {
  Sync(control);
  if (auto it = windows_.find(&control); it != windows_.end()) UpdateWindow(it->second);
  UpdateStatus();
}

void WizardWindow::ShowMessage(const std::string& text, platform::MessageStyle style) {
  const bool critical = style == platform::MessageStyle::kCritical;
  messages_.push_back(std::string(critical ? "critical: " : "information: ") + text);
  if (quiet_messages_) {
    std::printf("message %s\n", messages_.back().c_str());
    std::fflush(stdout);
    return;
  }
  MessageBoxW(hwnd_, Widen(text).c_str(), L"Vantrel",
              MB_OK | (critical ? MB_ICONERROR : MB_ICONINFORMATION));
}

bool WizardWindow::Click(const std::string& name, bool tick) {
  platform::Control* c = ctl_->screen().Find(name);
  if (c == nullptr) return false;
  if (auto* box = dynamic_cast<platform::CheckBox*>(c); box != nullptr && tick) {
    box->set_value(1);
    SyncAll();
    return true;
  }
  Clicked(*c);
  return true;
}

void WizardWindow::Clicked(platform::Control& c) {
  if (!c.enabled() || !c.IsShown()) return;
  if (auto* box = dynamic_cast<platform::CheckBox*>(&c)) {
    box->Click();
  } else if (auto* option = dynamic_cast<platform::OptionButton*>(&c)) {
    option->set_value(true);
  } else if (auto* button = dynamic_cast<platform::CommandButton*>(&c)) {
    UpdateStatus();
    button->Click();  // "Start &Sync" returns when the run has ended
  }
  SyncAll();
  if (close_after_run_ && !ctl_->running()) DestroyWindow(hwnd_);
}

LRESULT CALLBACK WizardWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<WizardWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr || self->hwnd_ != hwnd) return DefWindowProcW(hwnd, message, wparam, lparam);
  return self->Handle(message, wparam, lparam);
}

LRESULT WizardWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) {
        auto it = by_id_.find(LOWORD(wparam));
        if (it != by_id_.end()) Clicked(*it->second);
        return 0;
      }
      break;
    case WM_CLOSE:
      // During a run: Cancel first; the window closes once the run has ended.
      if (ctl_->running()) {
        close_after_run_ = true;
        if (platform::Control* cancel = ctl_->screen().Find("cmdNav(1)")) Clicked(*cancel);
        return 0;
      }
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace vantrel::winhost
