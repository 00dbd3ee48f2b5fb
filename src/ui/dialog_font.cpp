#include "ui/dialog_font.h"

#include "app/thread_state.h"

namespace vantrel {
namespace {

static_assert(sizeof(ThreadState::dialogFace) == kDialogFaceLimit + 1);

ThreadState& FontHolder() {
  if (ThreadState* state = CurrentThreadState()) return *state;
  // No record: start-up has not run (the engine's own tests) or memory ran out. One setting then
  // serves every thread.
  static constinit ThreadState fallback = kStartupThreadState;
  return fallback;
}

}  // namespace

DialogFont CurrentDialogFont() {
  const ThreadState& state = FontHolder();
  return MakeDialogFont(state.dialogFace, state.dialogPointSize);
}

void SetDialogFont(std::string_view face, std::int32_t pointSize) {
  const DialogFont font = MakeDialogFont(face, pointSize);
  ThreadState& state = FontHolder();
  std::copy(font.face.begin(), font.face.end(), state.dialogFace);
  state.dialogPointSize = static_cast<std::int32_t>(font.pointSize);
}

}  // namespace vantrel
