#include "result_counts.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

struct TreesCase {
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<std::string> trees;
  std::string summary;
};

const std::string kReport = R"(<testsuites tests="3" failures="1" disabled="0" errors="0">
<testcase name="Pass" status="run" result="completed" classname="S" />
<testcase name="Skip" status="run" result="skipped" classname="S">
<skipped message="s.cpp:3&#x0A;no display"><![CDATA[s.cpp:3]]></skipped></testcase>
<testcase name="Fail" status="run" result="completed" classname="S">
<failure message="s.cpp:4" type=""><![CDATA[s.cpp:4]]></failure></testcase>
</testsuites>)";

const TreesCase kCases[] = {
    {{{"t/junit.xml", R"(<testsuite><testcase name="app" status="fail">
<failure message=""/></testcase></testsuite>)"},
      {"t/test-results/app.xml", kReport}},
     {"t"},
     "Summary: 1 passed, 1 failed, 1 skipped\nfailed: t app S.Fail\nskipped: t app S.Skip: "
     "no display\n"},
    {{{"t/junit.xml", R"(<testsuite>
<testcase name="lint" classname="lint" status="run"><system-out>skipped: no</system-out></testcase>
<testcase name="wine" status="notrun"><skipped message="SKIP_RETURN_CODE=77"/>
<system-out>skipped: old
skipped: no Wine &amp; no display
</system-out></testcase>
<testcase name="after" status="notrun"><skipped message="Fixture dependency failed"/>
<system-out>Failed test dependencies: setup</system-out></testcase></testsuite>)"}},
     {"t"},
     "Summary: 1 passed, 1 failed, 1 skipped\nfailed: t after\nskipped: t wine: no Wine & no "
     "display\n"},
    {{{"t/junit.xml", R"(<testsuite><testcase name="ui" status="fail"></testcase></testsuite>)"},
      {"t/test-results/ui.xml", R"(<testsuites tests="1" failures="0" disabled="0" errors="0">)"}},
     {"t", "none"},
     "Summary: 1 passed, 2 failed, 0 skipped\nfailed: t ui\nfailed: none: no results\n"},
};

TEST(ResultCountsTest, AddsUpTrees) {
  const fs::path before = fs::current_path();
  for (const TreesCase& c : kCases) {
    std::string folder = (fs::temp_directory_path() / "result_counts_XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    fs::current_path(folder);
    for (const auto& [path, text] : c.files) {
      fs::create_directories(fs::path(path).parent_path());
      std::ofstream(path, std::ios::binary) << text;
    }
    EXPECT_EQ(SummaryText(SummarizeTrees(c.trees)), c.summary);
    fs::current_path(before);
    fs::remove_all(folder);
  }
}

}  // namespace
}  // namespace vantrel
