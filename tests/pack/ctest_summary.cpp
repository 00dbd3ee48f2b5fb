// test_summary on the host: adds up what CTest ran in one or more build trees.
//   test_summary --trees TREE...
// Each TREE holds junit.xml from `ctest --output-junit junit.xml`. A CTest test whose GoogleTest
// report TREE/test-results/TEST.xml is there counts that report's cases; any other counts as one.
// Prints "Summary: N passed, N failed, N skipped", then "failed: TREE TEST[ CASE]" lines, then
// "skipped: TREE TEST[ CASE][: REASON]" lines, TREE as given. A tree without junit.xml counts as
// one failure ("failed: TREE: no results"). Exit code 0 only when nothing failed, 2 on misuse.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "result_counts.h"

int main(int argc, char** argv) {
  if (argc < 3 || std::string_view(argv[1]) != "--trees") {
    std::fputs("usage: test_summary --trees TREE...\n", stderr);
    return 2;
  }
  const vantrel::Summary summary = vantrel::SummarizeTrees({argv + 2, argv + argc});
  std::fputs(vantrel::SummaryText(summary).c_str(), stdout);
  return summary.counts.failed == 0 && summary.junitFiles > 0 ? 0 : 1;
}
