// Adds up what run-tests.cmd's test programs left in the results folder beside this program:
//   test_summary app_tests program_tests ...
// reads results\<name>.xml (GoogleTest's XML report) of each program named, then prints and
// writes to results\summary.txt the Windows version, the ANSI code page, a line per program, the
// failed and skipped cases, and last the totals: "N passed, N failed, N skipped". A program
// whose report is missing ended before writing it and counts as one failure. The exit code is
// 0 only when nothing failed. Counts as tools/test counts CTest's reports, so the two agree.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Counts {
  long passed = 0;
  long failed = 0;
  long skipped = 0;
};

std::string CountsLine(const Counts& c) {
  return std::to_string(c.passed) + " passed, " + std::to_string(c.failed) + " failed, " +
         std::to_string(c.skipped) + " skipped";
}

// The folder of this program, ending in a backslash. Wide, so a folder named in letters the
// ANSI code page lacks still works.
std::wstring OwnFolder() {
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  path.erase(path.find_last_of(L'\\') + 1);
  return path;
}

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

File Open(const std::wstring& path, const wchar_t* mode) {
  return File(_wfopen(path.c_str(), mode), &std::fclose);
}

bool ReadWhole(const std::wstring& path, std::string& bytes) {
  const File file = Open(path, L"rb");
  if (!file) return false;
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
  return !bytes.empty();
}

// The value of attribute `name` in the element that starts at `element`; empty when absent.
std::string Attribute(std::string_view xml, std::size_t element, std::string_view name) {
  const std::size_t end = xml.find('>', element);
  const std::string_view tag = xml.substr(element, end - element);
  const std::string key = " " + std::string(name) + "=\"";
  const std::size_t at = tag.find(key);
  if (at == std::string_view::npos) return {};
  const std::size_t value = at + key.size();
  return std::string(tag.substr(value, tag.find('"', value) - value));
}

long Number(std::string_view xml, std::size_t element, std::string_view name) {
  return std::atol(Attribute(xml, element, name).c_str());
}

struct Report {
  Counts counts;
  std::vector<std::string> failedCases;
  std::vector<std::string> skippedCases;
};

// Totals from the root element, as tools/test takes them; the failed and skipped cases by name.
Report Read(std::string_view xml) {
  Report report;
  const std::size_t root = xml.find("<testsuites");
  if (root == std::string_view::npos) {
    report.counts.failed = 1;
    return report;
  }
  const long run = Number(xml, root, "tests") - Number(xml, root, "disabled");
  report.counts.failed = Number(xml, root, "failures") + Number(xml, root, "errors");
  for (std::size_t at = xml.find("<testcase "); at != std::string_view::npos;
       at = xml.find("<testcase ", at + 1)) {
    const std::string name = Attribute(xml, at, "classname") + "." + Attribute(xml, at, "name");
    const std::size_t close = xml.find('>', at);
    const std::size_t next = xml.find("<testcase ", at + 1);
    const bool hasBody = close != std::string_view::npos && xml[close - 1] != '/';
    if (Attribute(xml, at, "result") == "skipped") {
      report.skippedCases.push_back(name);
      ++report.counts.skipped;
    } else if (hasBody && xml.substr(close, next - close).find("<failure") != xml.npos) {
      report.failedCases.push_back(name);
    }
  }
  report.counts.passed = run - report.counts.failed - report.counts.skipped;
  return report;
}

// A function the running Windows may lack, looked up by name; null when it lacks it.
template <typename Function>
Function Find(const wchar_t* module, const char* name) {
  const FARPROC found = GetProcAddress(GetModuleHandleW(module), name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

std::string WindowsVersion() {
  RTL_OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  // GetVersionEx reports 6.2 to a program without a compatibility manifest on Windows 8.1 and
  // later; ntdll tells the truth.
  const auto rtlGetVersion = Find<LONG(WINAPI*)(RTL_OSVERSIONINFOW*)>(L"ntdll", "RtlGetVersion");
  if (rtlGetVersion == nullptr || rtlGetVersion(&info) != 0) {
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
  }
  std::string text = "Windows " + std::to_string(info.dwMajorVersion) + "." +
                     std::to_string(info.dwMinorVersion) + "." + std::to_string(info.dwBuildNumber);
  for (const wchar_t* c = info.szCSDVersion; *c != 0 && *c < 128; ++c) {
    if (c == info.szCSDVersion) text += ' ';
    text += static_cast<char>(*c);
  }
  BOOL wow64 = FALSE;
  const auto isWow64 = Find<BOOL(WINAPI*)(HANDLE, BOOL*)>(L"kernel32", "IsWow64Process");
  const bool bits64 =
      sizeof(void*) == 8 || (isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64);
  text += bits64 ? ", 64-bit" : ", 32-bit";
  if (const auto wine = Find<const char*(CDECL*)()>(L"ntdll", "wine_get_version")) {
    text += " (Wine " + std::string(wine()) + ")";
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const std::wstring results = OwnFolder() + L"results\\";
  std::string text = WindowsVersion() + "\nANSI code page " + std::to_string(GetACP()) + "\n";
  std::string cases;
  Counts total;
  for (int i = 1; i < argc; ++i) {
    const std::string program = argv[i];
    std::string xml;
    Report report;
    if (ReadWhole(results + std::wstring(program.begin(), program.end()) + L".xml", xml)) {
      report = Read(xml);
      text += program + ": " + CountsLine(report.counts) + "\n";
    } else {
      report.counts.failed = 1;
      text += program + ": no results (the program is missing, or ended before writing them)\n";
    }
    for (const std::string& name : report.failedCases) {
      cases += "failed: " + program + " " + name + "\n";
    }
    for (const std::string& name : report.skippedCases) {
      cases += "skipped: " + program + " " + name + "\n";
    }
    total.passed += report.counts.passed;
    total.failed += report.counts.failed;
    total.skipped += report.counts.skipped;
  }
  text += cases + CountsLine(total) + "\n";
  std::fputs(text.c_str(), stdout);
  // Text mode: CR LF line ends, as Notepad expects.
  if (const File summary = Open(results + L"summary.txt", L"w")) {
    std::fputs(text.c_str(), summary.get());
  } else {
    std::fputs("could not write results\\summary.txt\n", stderr);
    return 1;
  }
  return total.failed == 0 ? 0 : 1;
}
