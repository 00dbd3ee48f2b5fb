#include "result_counts.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

namespace vantrel {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The entities GoogleTest and CTest write; a character past ASCII by number becomes '?'.
std::string Unescape(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kNamed[] = {
      {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t end = text[i] == '&' ? text.find(';', i) : kNone;
    if (end == kNone) {
      plain += text[i];
      continue;
    }
    const std::string entity(text.substr(i + 1, end - i - 1));
    char c = '?';
    for (const auto& [name, value] : kNamed) {
      if (entity == name) c = value;
    }
    if (entity.size() > 1 && entity[0] == '#') {
      const bool hex = entity[1] == 'x';
      const long code = std::strtol(entity.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10);
      if (code > 0 && code < 128) c = static_cast<char>(code);
    }
    plain += c;
    i = end;
  }
  return plain;
}

// The value of attribute `name` in the element that starts at `element`; empty when absent.
std::string Attribute(std::string_view xml, std::size_t element, std::string_view name) {
  const std::string_view tag = xml.substr(element, xml.find('>', element) - element);
  const std::string key = std::string(name) + "=\"";
  for (std::size_t at = tag.find(key); at != kNone; at = tag.find(key, at + 1)) {
    if (at == 0 || !std::isspace(static_cast<unsigned char>(tag[at - 1]))) continue;
    const std::size_t value = at + key.size();
    return Unescape(tag.substr(value, tag.find('"', value) - value));
  }
  return {};
}

long Number(std::string_view xml, std::size_t element, std::string_view name) {
  return std::atol(Attribute(xml, element, name).c_str());
}

// GoogleTest's message is "FILE:LINE", a line end, then what GTEST_SKIP() was given.
std::string GoogleTestSkipReason(std::string_view body) {
  const std::size_t skipped = body.find("<skipped ");
  if (skipped == kNone) return {};
  const std::string message = Attribute(body, skipped, "message");
  const std::size_t line = message.find('\n');
  if (line == kNone) return {};
  return message.substr(line + 1, message.find('\n', line + 1) - line - 1);
}

// The last line of a check's output that starts "skipped: ", without that.
std::string OutputSkipReason(std::string_view testcase) {
  constexpr std::string_view kOpen = "<system-out>", kPrefix = "skipped: ";
  const std::size_t open = testcase.find(kOpen);
  if (open == kNone) return {};
  const std::size_t start = open + kOpen.size();
  const std::string output = Unescape(testcase.substr(start, testcase.find('<', start) - start));
  std::string reason;
  for (std::size_t line = 0, end = 0; line < output.size(); line = end + 1) {
    end = std::min(output.find('\n', line), output.size());
    if (output.compare(line, kPrefix.size(), kPrefix) == 0) {
      reason = output.substr(line + kPrefix.size(), end - line - kPrefix.size());
    }
  }
  if (!reason.empty() && reason.back() == '\r') reason.pop_back();
  return reason;
}

// False when there is no such file; one that cannot be read reads as empty.
bool ReadFile(const std::string& path, std::string& bytes) {
  const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return errno != ENOENT;
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
  return true;
}

// CTest says "notrun" both of a check that asked to be skipped and of one that could not be
// run (its fixture's setup failed, its program is missing); only the first is a skip.
bool SkippedByCTest(std::string_view testcase, std::string_view status) {
  if (status == "disabled") return true;
  const std::size_t skipped = testcase.find("<skipped ");
  if (status != "notrun" || skipped == kNone) return false;
  const std::string message = Attribute(testcase, skipped, "message");
  return message.starts_with("SKIP_RETURN_CODE=") || message == "SKIP_REGULAR_EXPRESSION_MATCHED";
}

void AddTest(Summary& summary, const std::string& tree, std::string_view testcase) {
  const std::string name = Attribute(testcase, 0, "name");
  const std::string status = Attribute(testcase, 0, "status");
  const std::string item = tree + " " + name;
  std::string xml;
  if ((status == "run" || status == "fail") &&
      ReadFile(tree + "/test-results/" + name + ".xml", xml)) {
    const Report report = ReadGoogleTestReport(xml);
    Add(summary.counts, report.counts);
    for (const std::string& c : report.failedCases) summary.failed.push_back(item + " " + c);
    for (const Skip& c : report.skippedCases) {
      summary.skipped.push_back({item + " " + c.name, c.reason});
    }
    // Failed after its report was written, or its report names no failed case.
    if (report.counts.failed == 0 && status == "fail") ++summary.counts.failed;
    if (report.counts.failed == 0 ? status == "fail" : report.failedCases.empty()) {
      summary.failed.push_back(item);
    }
  } else if (status == "run") {
    ++summary.counts.passed;
  } else if (SkippedByCTest(testcase, status)) {
    ++summary.counts.skipped;
    summary.skipped.push_back(
        {item, status == "disabled" ? "disabled" : OutputSkipReason(testcase)});
  } else {
    ++summary.counts.failed;
    summary.failed.push_back(item);
  }
}

}  // namespace

std::string CountsLine(const Counts& c) {
  return std::to_string(c.passed) + " passed, " + std::to_string(c.failed) + " failed, " +
         std::to_string(c.skipped) + " skipped";
}

void Add(Counts& total, const Counts& part) {
  total.passed += part.passed;
  total.failed += part.failed;
  total.skipped += part.skipped;
}

// Totals from the root element, as tools/test takes them; the failed and skipped cases by name.
Report ReadGoogleTestReport(std::string_view xml) {
  Report report;
  const std::size_t root = xml.find("<testsuites");
  if (root == kNone) {
    report.counts.failed = 1;
    return report;
  }
  const long run = Number(xml, root, "tests") - Number(xml, root, "disabled");
  report.counts.failed = Number(xml, root, "failures") + Number(xml, root, "errors");
  for (std::size_t at = xml.find("<testcase "); at != kNone; at = xml.find("<testcase ", at + 1)) {
    const std::string name = Attribute(xml, at, "classname") + "." + Attribute(xml, at, "name");
    const std::size_t close = xml.find('>', at);
    const std::size_t next = xml.find("<testcase ", at + 1);
    const bool hasBody = close != kNone && xml[close - 1] != '/';
    const std::string_view body = hasBody ? xml.substr(close, next - close) : std::string_view();
    if (Attribute(xml, at, "result") == "skipped") {
      report.skippedCases.push_back({name, GoogleTestSkipReason(body)});
      ++report.counts.skipped;
    } else if (body.find("<failure") != kNone) {
      report.failedCases.push_back(name);
    }
  }
  report.counts.passed = run - report.counts.failed - report.counts.skipped;
  return report;
}

Summary SummarizeTrees(const std::vector<std::string>& trees) {
  Summary summary;
  for (const std::string& tree : trees) {
    std::string junit;
    if (!ReadFile(tree + "/junit.xml", junit) || junit.find("<testsuite") == kNone) {
      ++summary.counts.failed;
      summary.failed.push_back(tree + ": no results");
      continue;
    }
    ++summary.junitFiles;
    const std::string_view xml = junit;
    for (std::size_t at = xml.find("<testcase "); at != kNone;
         at = xml.find("<testcase ", at + 1)) {
      AddTest(summary, tree, xml.substr(at, xml.find("</testcase>", at) - at));
    }
  }
  return summary;
}

std::string SummaryText(const Summary& summary) {
  std::string text = "Summary: " + CountsLine(summary.counts) + "\n";
  for (const std::string& item : summary.failed) text += "failed: " + item + "\n";
  for (const Skip& item : summary.skipped) {
    text += "skipped: " + item.name + (item.reason.empty() ? "" : ": " + item.reason) + "\n";
  }
  return text;
}

// Windows' system error codes (WinError.h) that mean the program was kept from running: 225
// ERROR_VIRUS_INFECTED, 226 ERROR_VIRUS_DELETED, 577 ERROR_INVALID_IMAGE_HASH, 786
// ERROR_ACCESS_DISABLED_NO_SAFER_UI_BY_POLICY, 1260 ERROR_ACCESS_DISABLED_BY_POLICY.
StartFailure DescribeStartFailure(std::string_view program, unsigned long error) {
  constexpr std::string_view kControl =
      "blocked by Smart App Control or an application control policy";
  struct Words {
    unsigned long error;
    std::string_view words;
  };
  static constexpr Words kBlocked[] = {
      {5, "Windows refused to start it; an antivirus or a policy may block it"},  // ACCESS_DENIED
      {225, "blocked by an antivirus, which took it for a virus or unwanted software"},
      {226, "removed by an antivirus, which took it for a virus or unwanted software"},
      {577, "blocked: Windows could not verify its digital signature, or the file is damaged"},
      {786, "blocked by a software restriction policy of this PC"},
      {1260, "blocked by a policy of this PC (AppLocker or a software restriction policy)"},
      // ERROR_SYSTEM_INTEGRITY_: POLICY_VIOLATION, and the REPUTATION_ codes MALICIOUS, PUA,
      // DANGEROUS_EXT, OFFLINE, UNFRIENDLY_FILE, UNATTAINABLE and EXPLICIT_DENY_FILE.
      {4551, kControl},
      {4556, kControl},
      {4557, kControl},
      {4558, kControl},
      {4559, kControl},
      {4580, kControl},
      {4581, kControl},
      {4582, kControl},
  };
  const std::string number = " (error " + std::to_string(error) + ")";
  // ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND: the program's file lay beside run-tests.cmd
  // when the pack was unzipped.
  if (error == 2 || error == 3) {
    const std::string words =
        ".exe is missing from the folder; an antivirus may have quarantined it";
    return {std::string(program) + words + number, true};
  }
  for (const Words& blocked : kBlocked) {
    if (blocked.error == error) return {std::string(blocked.words) + number, true};
  }
  return {"could not be started" + number, false};
}

Counts CountReports(const std::string& dir, const std::vector<std::string>& names) {
  Counts total;
  for (const std::string& name : names) {
    std::string xml;
    if (ReadFile(dir + "/" + name + ".xml", xml)) {
      Add(total, ReadGoogleTestReport(xml).counts);
    } else {
      ++total.failed;
    }
  }
  return total;
}

}  // namespace vantrel
