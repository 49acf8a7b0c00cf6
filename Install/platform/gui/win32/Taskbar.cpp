// The taskbar's progress through the shell's ITaskbarList3.
#include "platform/gui/win32/Taskbar.h"

#include <shobjidl.h>

namespace gui::win32 {

namespace {

// The shell's taskbar object, made on first use; null when there is none
// (no shell running, or a system without the interface).
ITaskbarList3* Taskbar() {
  static ITaskbarList3* taskbar = [] {
    ITaskbarList3* list = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&list))))
      return static_cast<ITaskbarList3*>(nullptr);
    if (FAILED(list->HrInit())) {
      list->Release();
      return static_cast<ITaskbarList3*>(nullptr);
    }
    return list;
  }();
  return taskbar;
}

}  // namespace

void ShowTaskbarProgress(HWND top, const ProgressBar& bar) {
  ITaskbarList3* taskbar = Taskbar();
  if (taskbar == nullptr || top == nullptr) return;
  // The taskbar is a convenience beside the bar on the page: a failure here
  // changes nothing the user needs, so the results are not acted on.
  if (!bar.InTaskbar() || !bar.Showing()) {
    taskbar->SetProgressState(top, TBPF_NOPROGRESS);
    return;
  }
  taskbar->SetProgressState(top, bar.GetState() == ProgressBar::State::Error ? TBPF_ERROR : TBPF_NORMAL);
  taskbar->SetProgressValue(top, static_cast<ULONGLONG>(bar.Position()), static_cast<ULONGLONG>(bar.Maximum()));
}

}  // namespace gui::win32
