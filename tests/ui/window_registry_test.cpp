#include "ui/window_registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vantrel {
namespace {

HWND__* Handle(std::uintptr_t value) {
  return reinterpret_cast<HWND__*>(value);
}

INT_PTR SomeCallback(HWND, UINT, WPARAM, LPARAM) noexcept {
  return 1;
}

WindowRecord Dialog(std::uintptr_t window, std::uintptr_t parent = 0) {
  return {.window = Handle(window), .parent = Handle(parent), .showCommand = 5};
}

WindowRecord Control(std::uintptr_t window, std::uintptr_t parent) {
  return {.window = Handle(window),
          .parent = Handle(parent),
          .isControl = true,
          .callback = SomeCallback};
}

std::vector<HWND> Handles(std::initializer_list<std::uintptr_t> values) {
  std::vector<HWND> handles;
  for (const auto value : values) handles.push_back(Handle(value));
  return handles;
}

// The registered handles, newest first.
std::vector<HWND> Windows(const WindowRegistry& registry) {
  std::vector<HWND> windows(registry.Count());
  EXPECT_EQ(registry.Windows(windows), windows.size());
  return windows;
}

TEST(WindowRegistryTest, NewestFirstAndOneRecordPerHandle) {
  WindowRegistry registry;
  EXPECT_FALSE(registry.Find(Handle(0x10)).has_value());
  ASSERT_TRUE(registry.Register(Dialog(0x10)));
  ASSERT_TRUE(registry.Register(Control(0x20, 0x10)));
  ASSERT_TRUE(registry.Register(Control(0x30, 0x10)));
  EXPECT_EQ(Windows(registry), Handles({0x30, 0x20, 0x10}));

  EXPECT_FALSE(registry.Register(Control(0x20, 0x99))) << "a handle registered twice";
  EXPECT_FALSE(registry.Register(Dialog(0x10)));
  EXPECT_EQ(registry.Count(), 3u);

  const auto control = registry.Find(Handle(0x20));
  ASSERT_TRUE(control.has_value());
  EXPECT_EQ(control->parent, Handle(0x10)) << "the first registration stands";
  EXPECT_TRUE(control->isControl);
  EXPECT_EQ(control->callback, &SomeCallback);
}

TEST(WindowRegistryTest, ModalRunIsRecordedOnTheDialog) {
  WindowRegistry registry;
  std::int32_t result = 42;
  EXPECT_FALSE(registry.StartModalRun(Handle(0x10), SomeCallback, &result).has_value());
  ASSERT_TRUE(registry.Register(Control(0x20, 0x10)));
  EXPECT_FALSE(registry.StartModalRun(Handle(0x20), nullptr, &result).has_value());
  EXPECT_EQ(registry.Find(Handle(0x20))->callback, &SomeCallback);
  EXPECT_EQ(registry.Find(Handle(0x20))->result, nullptr);

  ASSERT_TRUE(registry.Register(Dialog(0x10)));
  EXPECT_EQ(registry.Find(Handle(0x10))->result, nullptr);
  const auto started = registry.StartModalRun(Handle(0x10), SomeCallback, &result);
  ASSERT_TRUE(started.has_value());
  EXPECT_EQ(started->showCommand, 5);
  const auto record = registry.Find(Handle(0x10));
  EXPECT_EQ(record->result, &result);
  EXPECT_EQ(record->callback, &SomeCallback);
  EXPECT_EQ(result, 42);
}

TEST(WindowRegistryTest, ReleasingADialogTakesItsControlsAndTheirsOnly) {
  WindowRegistry registry;
  ASSERT_TRUE(registry.Register(Dialog(0x10)));
  ASSERT_TRUE(registry.Register(Control(0x11, 0x10)));
  ASSERT_TRUE(registry.Register(Dialog(0x20)));
  ASSERT_TRUE(registry.Register(Control(0x21, 0x20)));
  ASSERT_TRUE(registry.Register(Control(0x12, 0x10)));
  ASSERT_TRUE(registry.Register(Control(0x13, 0x12)));  // added to a control
  ASSERT_TRUE(registry.Register(Control(0x14, 0x13)));
  ASSERT_TRUE(registry.Register(Dialog(0x30, 0x10)));  // a dialog owned by the first
  ASSERT_TRUE(registry.Register(Control(0x31, 0x30)));

  registry.ReleaseDialog(Handle(0x10));
  EXPECT_EQ(Windows(registry), Handles({0x31, 0x30, 0x21, 0x20}));

  registry.ReleaseDialog(Handle(0x30));
  registry.ReleaseDialog(Handle(0x99));
  EXPECT_EQ(Windows(registry), Handles({0x21, 0x20}));
  EXPECT_TRUE(registry.Register(Dialog(0x10))) << "a released handle can be registered again";
}

}  // namespace
}  // namespace vantrel
