#include "ui/test_dialogs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace vantrel::testing {
namespace {

HWND runningDialog = nullptr;

void CALLBACK EndStuckRun(HWND, UINT, UINT_PTR, DWORD) {
  if (!IsWindow(runningDialog)) {
    std::fprintf(stderr, "ShowModal kept running after its dialog was destroyed\n");
    std::abort();
  }
  ADD_FAILURE() << "the modal run did not end; its dialog was destroyed";
  DestroyWindow(runningDialog);
}

}  // namespace

HWND MakeDialog(std::uint32_t style, HWND parent) {
  return NewDialog(parent, "Engine test", 10, 10, 200, 100, style, 0);
}

HWND MakeForeignWindow() {
  return CreateWindowExA(0, "STATIC", "foreign", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void RunModal(HWND dialog, DialogCallback callback, std::int32_t& result) {
  runningDialog = dialog;
  const UINT_PTR timer = SetTimer(nullptr, 0, 5000, EndStuckRun);
  ShowModal(dialog, callback, result);
  KillTimer(nullptr, timer);
  runningDialog = nullptr;
}

}  // namespace vantrel::testing
