// The Windows test programs' entry point. GoogleTest takes the current directory with _getcwd
// and opens its XML report with a narrow fopen, so a report under a folder whose name the ANSI
// code page cannot spell is never written, and the program ends without results. The report is
// written here instead, through a wide path, in the form GoogleTest gives it; GoogleTest is
// never told of it.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/scoped_win.h"
#include "support/temp_directory.h"

namespace {

using vantrel::testing::Utf8;
using vantrel::testing::Wide;

// Any bytes as XML attribute text in UTF-8: malformed sequences become U+FFFD (the conversion's
// own replacement), characters XML cannot carry are dropped, line breaks and tabs kept as
// references so that a reader does not fold them into spaces.
std::string Escaped(std::string_view bytes) {
  constexpr std::string_view kSpecial = "<>&\"'\t\n\r";
  constexpr const char* kReferences[] = {"&lt;",   "&gt;",   "&amp;",  "&quot;",
                                         "&apos;", "&#x09;", "&#x0A;", "&#x0D;"};
  std::string text;
  for (const char c : Utf8(Wide(bytes))) {
    if (const std::size_t at = kSpecial.find(c); at != kSpecial.npos) {
      text += kReferences[at];
    } else if (static_cast<unsigned char>(c) >= 0x20) {
      text += c;
    }
  }
  return text;
}

std::string Attribute(const char* name, std::string_view value) {
  return std::string(" ") + name + "=\"" + Escaped(value) + "\"";
}

std::string Attribute(const char* name, long long value) {
  return Attribute(name, std::to_string(value));
}

std::string Seconds(long long ms) {
  return std::to_string(ms / 1000) + "." + std::to_string(1000 + ms % 1000).substr(1);
}

// What the whole run and each suite report alike.
template <typename Run>
std::string Counts(const Run& run) {
  return Attribute("tests", run.reportable_test_count()) +
         Attribute("failures", run.failed_test_count()) +
         Attribute("disabled", run.reportable_disabled_test_count()) + Attribute("errors", 0) +
         Attribute("time", Seconds(run.elapsed_time()));
}

std::string TestCase(const testing::TestInfo& test) {
  const testing::TestResult& result = *test.result();
  const char* const outcome = !test.should_run() ? "suppressed"
                              : result.Skipped() ? "skipped"
                                                 : "completed";
  std::string xml = "    <testcase" + Attribute("name", test.name()) +
                    Attribute("status", test.should_run() ? "run" : "notrun") +
                    Attribute("result", outcome) +
                    Attribute("time", Seconds(result.elapsed_time())) +
                    Attribute("classname", test.test_suite_name());
  std::string failures;
  for (int i = 0; i < result.total_part_count(); ++i) {
    const testing::TestPartResult& part = result.GetTestPartResult(i);
    if (!part.failed() && !part.skipped()) continue;
    const std::string element = part.failed() ? "failure" : "skipped";
    const std::string where = std::string(part.file_name() ? part.file_name() : "unknown file") +
                              ":" + std::to_string(part.line_number()) + "\n";
    failures += "      <" + element + Attribute("message", where + part.summary()) + " type=\"\">" +
                Escaped(where + part.message()) + "</" + element + ">\n";
  }
  return failures.empty() ? xml + " />\n" : xml + ">\n" + failures + "    </testcase>\n";
}

bool reportWritten = true;

// Writes the report where `path` says once every case has run.
class XmlReport : public testing::EmptyTestEventListener {
 public:
  explicit XmlReport(std::wstring path) : path_(std::move(path)) { reportWritten = false; }

  void OnTestProgramEnd(const testing::UnitTest& unit) override {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" + Counts(unit) +
                      Attribute("name", "AllTests") + ">\n";
    for (int i = 0; i < unit.total_test_suite_count(); ++i) {
      const testing::TestSuite& suite = *unit.GetTestSuite(i);
      if (suite.reportable_test_count() == 0) continue;
      xml += "  <testsuite" + Attribute("name", suite.name()) + Counts(suite) +
             Attribute("skipped", suite.skipped_test_count()) + ">\n";
      for (int j = 0; j < suite.total_test_count(); ++j) {
        if (suite.GetTestInfo(j)->is_reportable()) xml += TestCase(*suite.GetTestInfo(j));
      }
      xml += "  </testsuite>\n";
    }
    xml += "</testsuites>\n";
    SHCreateDirectoryExW(nullptr, path_.substr(0, path_.find_last_of(L"\\/")).c_str(), nullptr);
    try {
      vantrel::testing::WriteWhole(Utf8(path_), xml);
      reportWritten = true;
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s\n", error.what());
    }
    if (!reportWritten) std::fprintf(stderr, "could not write %s\n", Utf8(path_).c_str());
  }

 private:
  std::wstring path_;
};

// The report's full path from the request "xml[:PATH]"; relative to the current directory, and
// test_detail.xml when no path is given, as GoogleTest takes it.
std::wstring ReportPath(std::wstring_view request) {
  const std::size_t colon = request.find(L':');
  std::wstring path(colon == request.npos ? L"" : request.substr(colon + 1));
  if (path.empty()) path = L"test_detail.xml";
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  full.resize(
      GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
  return full;
}

// GetTempPathW does not check that its folder exists, and nearly every case makes files there:
// without it each would fail in its own way. Empty when a file can be made there.
std::string TempFolderProblem() {
  wchar_t buffer[MAX_PATH + 1];
  const std::wstring folder(buffer, GetTempPathW(MAX_PATH + 1, buffer));
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  DWORD error = attributes == INVALID_FILE_ATTRIBUTES          ? GetLastError()
                : (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? DWORD{ERROR_DIRECTORY}
                                                               : DWORD{ERROR_SUCCESS};
  if (error == ERROR_SUCCESS) {
    // Deleted on closing, so that no scanner can hold it afterwards.
    const std::wstring probe =
        folder + L"vantrel-probe-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    vantrel::ScopedFile file;
    if (!vantrel::testing::WhileHeld([&] {
          file.reset(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_FLAG_DELETE_ON_CLOSE, nullptr));
          return file.valid();
        })) {
      error = GetLastError();
    }
  }
  if (error == ERROR_SUCCESS) return "";
  return "the temporary folder " + Utf8(folder) + " is missing or cannot be written (error " +
         std::to_string(error) + ")";
}

class TempFolderUnusable : public testing::Test {
 public:
  explicit TempFolderUnusable(std::string problem) : problem_(std::move(problem)) {}
  void TestBody() override { FAIL() << problem_; }

 private:
  std::string problem_;
};

// One failure that says what is wrong in place of every case's, in the console and the report.
void RunOnlyTempFolderFailure(const std::string& problem) {
  testing::RegisterTest("TemporaryFolder", "IsAWritableFolder", nullptr, nullptr, __FILE__,
                        __LINE__,
                        [problem]() -> testing::Test* { return new TempFolderUnusable(problem); });
  GTEST_FLAG_SET(filter, "TemporaryFolder.IsAWritableFolder");
}

}  // namespace

int main() {
  constexpr std::wstring_view kOutput = L"--gtest_output=";
  const wchar_t* const fromEnvironment = _wgetenv(L"GTEST_OUTPUT");
  std::wstring request = fromEnvironment ? fromEnvironment : L"";
  int count = 0;
  wchar_t** const wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    const std::wstring_view argument = wide[i];
    if (i > 0 && argument.substr(0, kOutput.size() + 3) == std::wstring(kOutput) + L"xml") {
      request = argument.substr(kOutput.size());
    } else {
      arguments.push_back(Utf8(argument));
    }
  }
  LocalFree(wide);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  int argc = static_cast<int>(arguments.size());
  testing::InitGoogleTest(&argc, argv.data());

  if (request.substr(0, 3) == L"xml" && !GTEST_FLAG_GET(list_tests)) {
    GTEST_FLAG_SET(output, "");
    testing::UnitTest::GetInstance()->listeners().Append(new XmlReport(ReportPath(request)));
  }
  if (!GTEST_FLAG_GET(list_tests)) {
    if (const std::string problem = TempFolderProblem(); !problem.empty()) {
      RunOnlyTempFolderFailure(problem);
    }
  }
  const int result = RUN_ALL_TESTS();
  return reportWritten ? result : 1;
}
