#pragma once

#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::string_view kAboutCaption = "Vantrel";

// What the About box says: what the utility does, then notice, supplier, e-mail and web lines.
// Every line ends in CR LF, the last one included.
std::string AboutText();

}  // namespace vantrel
