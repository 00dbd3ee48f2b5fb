#include "ui/about_box.h"

#include <array>

namespace vantrel {
namespace {

constexpr std::string_view kPurpose =
    "A simple utility to list Pegasus Folder names in the current directory";
constexpr std::string_view kNotice =
    "Freeware. Copyright (c) 2026 the Vantrel developers.                 "
    "Provided as is, with no warranty whatever.";
constexpr std::string_view kSupplier =
    "Supplied by: The Vantrel Project, PO Box 2026, Example Town EX1 2VT.                     "
    "Postal enquiries only.";
constexpr std::string_view kEmail = "Email: vantrel-help@example.org";
constexpr std::string_view kWeb =
    "Web: https://vantrel.example.org/              "
    "Updates and more small tools for mail users are published there.";

static_assert(kPurpose.size() == 70);
static_assert(kNotice.size() == 111 && kSupplier.size() == 111 && kWeb.size() == 111);
static_assert(kEmail.size() == 31);

}  // namespace

Text AboutText(ErrorRecord& errors) {
  constexpr std::string_view kLineEnd = "\r\n";
  const std::array<std::string_view, 8> lines = {kPurpose, "",        "",     "",
                                                 kNotice,  kSupplier, kEmail, kWeb};
  Text text;
  for (const std::string_view line : lines) {
    if (!text.Append(line) || !text.Append(kLineEnd)) errors.Note(kErrorTextStorage);
  }
  return text;
}

}  // namespace vantrel
