#pragma once

// Counts of test results, the same on Windows (the test pack's test_summary.exe) and on the
// host (test_summary over CTest's build trees), so the two never disagree.

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

struct Counts {
  long passed = 0;
  long failed = 0;
  long skipped = 0;
};

struct Skip {
  std::string name;
  std::string reason;  // empty when not known
};

// One GoogleTest XML report; cases named Suite.Name.
struct Report {
  Counts counts;
  std::vector<std::string> failedCases;
  std::vector<Skip> skippedCases;
};

// Build trees' CTest results; items named "TREE TEST" or "TREE TEST CASE".
struct Summary {
  Counts counts;
  std::vector<std::string> failed;
  std::vector<Skip> skipped;
  int junitFiles = 0;
};

std::string CountsLine(const Counts& counts);
void Add(Counts& total, const Counts& part);

// A report without its root element counts as one failure.
Report ReadGoogleTestReport(std::string_view xml);

// The reports DIR/NAME.xml of the programs named, added up; a missing one is one failure.
Counts CountReports(const std::string& dir, const std::vector<std::string>& names);

// Why a test program could not be started, in words its user can act on, with Windows' error
// number kept for a support reply. blocked: Windows or an antivirus kept it from running.
struct StartFailure {
  std::string words;
  bool blocked = false;
};
StartFailure DescribeStartFailure(std::string_view program, unsigned long error);

// Reads TREE/junit.xml of each tree, and TREE/test-results/TEST.xml of each test CTest ran.
Summary SummarizeTrees(const std::vector<std::string>& trees);
std::string SummaryText(const Summary& summary);

}  // namespace vantrel
