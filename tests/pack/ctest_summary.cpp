// test_summary on the host: adds up what CTest ran in one or more build trees.
//   test_summary --trees TREE...
// Each TREE holds junit.xml from `ctest --output-junit junit.xml`. A CTest test whose GoogleTest
// report TREE/test-results/TEST.xml is there counts that report's cases; any other counts as one.
// Prints "Summary: N passed, N failed, N skipped", then "failed: TREE TEST[ CASE]" lines, then
// "skipped: TREE TEST[ CASE][: REASON]" lines, TREE as given. A tree without junit.xml counts as
// one failure ("failed: TREE: no results"). Exit code 0 only when nothing failed, 2 on misuse.
//   test_summary --reports DIR NAME...
// Adds up the GoogleTest reports DIR/NAME.xml alone, as the test pack does: "N passed, N
// failed, N skipped".
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "result_counts.h"

int main(int argc, char** argv) {
  const std::string_view mode = argc < 3 ? "" : argv[1];
  if (mode == "--reports") {
    const vantrel::Counts counts = vantrel::CountReports(argv[2], {argv + 3, argv + argc});
    std::printf("%s\n", vantrel::CountsLine(counts).c_str());
    return counts.failed == 0 ? 0 : 1;
  }
  if (mode != "--trees") {
    std::fputs("usage: test_summary --trees TREE... | --reports DIR NAME...\n", stderr);
    return 2;
  }
  const vantrel::Summary summary = vantrel::SummarizeTrees({argv + 2, argv + argc});
  std::fputs(vantrel::SummaryText(summary).c_str(), stdout);
  return summary.counts.failed == 0 && summary.junitFiles > 0 ? 0 : 1;
}
