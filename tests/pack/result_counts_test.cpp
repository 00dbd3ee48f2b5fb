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

struct StartCase {
  unsigned long error;
  std::string words;
  bool blocked;
};

const StartCase kStartCases[] = {
    {2, "ui_tests.exe is missing from the folder; an antivirus may have quarantined it (error 2)",
     true},
    {3, "ui_tests.exe is missing from the folder; an antivirus may have quarantined it (error 3)",
     true},
    {5, "Windows refused to start it; an antivirus or a policy may block it (error 5)", true},
    {225, "blocked by an antivirus, which took it for a virus or unwanted software (error 225)",
     true},
    {226, "removed by an antivirus, which took it for a virus or unwanted software (error 226)",
     true},
    {577,
     "blocked: Windows could not verify its digital signature, or the file is damaged (error 577)",
     true},
    {786, "blocked by a software restriction policy of this PC (error 786)", true},
    {1260,
     "blocked by a policy of this PC (AppLocker or a software restriction policy) (error 1260)",
     true},
    {4551, "blocked by Smart App Control or an application control policy (error 4551)", true},
    {4556, "blocked by Smart App Control or an application control policy (error 4556)", true},
    {4559, "blocked by Smart App Control or an application control policy (error 4559)", true},
    {4580, "blocked by Smart App Control or an application control policy (error 4580)", true},
    {4582, "blocked by Smart App Control or an application control policy (error 4582)", true},
    {4553, "could not be started (error 4553)", false},
    {193, "could not be started (error 193)", false},
};

TEST(ResultCountsTest, NamesWhatKeptAProgramFromStarting) {
  for (const StartCase& c : kStartCases) {
    const StartFailure failure = DescribeStartFailure("ui_tests", c.error);
    EXPECT_EQ(failure.words, c.words) << c.error;
    EXPECT_EQ(failure.blocked, c.blocked) << c.error;
  }
}

}  // namespace
}  // namespace vantrel
