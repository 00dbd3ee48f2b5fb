// The test pack's runner, started by run-tests.cmd with the names of the test programs beside it:
//   test_summary [/nopause] [/timeout:SECONDS] app_tests program_tests ...
// runs each program in turn from this folder, its GoogleTest XML report going to
// results\<name>.xml and its output to results\<name>.txt, and ends one still running after
// SECONDS (600 unless given) together with every process it started. Then prints and writes to
// results\summary.txt the Windows version, the ANSI code page, a line per program, the failed and
// skipped cases, and last the totals: "N passed, N failed, N skipped". A program that timed out,
// or whose report is missing, counts as one failure. The exit code is 0 only when nothing failed.
// Counts with result_counts.cpp, as the host's test_summary counts CTest's results. When its
// console window was opened for this run alone (run-tests.cmd double-clicked) it waits for a key
// before the window closes; /nopause never waits.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/scoped_win.h"
#include "result_counts.h"

namespace {

using vantrel::Add;
using vantrel::Counts;
using vantrel::CountsLine;
using vantrel::Report;
using vantrel::ScopedFile;
using vantrel::ScopedKernelHandle;
using vantrel::Skip;

constexpr DWORD kDefaultTimeoutSeconds = 600;
constexpr DWORD kMaxTimeoutSeconds = 4000000;  // its milliseconds stay below INFINITE

// Program names are the pack's own, plain ASCII.
std::string Narrow(std::wstring_view text) {
  std::string narrow;
  for (const wchar_t c : text) narrow += c < 128 ? static_cast<char>(c) : '?';
  return narrow;
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

// A function the running Windows may lack, looked up by name; null when it lacks it.
template <typename Function>
Function Find(const wchar_t* module, const char* name) {
  const FARPROC found = GetProcAddress(GetModuleHandleW(module), name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

const char* WineVersion() {
  const auto wine = Find<const char*(CDECL*)()>(L"ntdll", "wine_get_version");
  return wine != nullptr ? wine() : nullptr;
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
  if (const char* wine = WineVersion()) text += " (Wine " + std::string(wine) + ")";
  return text;
}

struct Options {
  bool valid = true;
  bool noPause = false;
  DWORD timeoutSeconds = kDefaultTimeoutSeconds;
  std::vector<std::wstring> programs;
};

bool ParseSeconds(std::wstring_view text, DWORD& seconds) {
  if (text.empty() || text.size() > 7) return false;
  DWORD value = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    value = value * 10 + static_cast<DWORD>(c - L'0');
  }
  seconds = value;
  return value >= 1 && value <= kMaxTimeoutSeconds;
}

Options ParseArguments(int argc, wchar_t** argv) {
  Options options;
  constexpr std::wstring_view timeout = L"/timeout:";
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view argument = argv[i];
    if (_wcsicmp(argv[i], L"/nopause") == 0) {
      options.noPause = true;
    } else if (argument.size() > timeout.size() &&
               _wcsnicmp(argv[i], timeout.data(), timeout.size()) == 0) {
      options.valid &= ParseSeconds(argument.substr(timeout.size()), options.timeoutSeconds);
    } else if (argument.empty() || argument.front() == L'/') {
      options.valid = false;
    } else {
      options.programs.emplace_back(argument);
    }
  }
  return options;
}

// Removes a file an earlier run left; says why when it is still there.
bool Clear(const std::wstring& path, std::string& problem) {
  if (DeleteFileW(path.c_str())) return true;
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND) return true;
  problem = "an earlier run's results could not be removed (error " + std::to_string(error) + ")";
  return false;
}

ScopedFile OpenInheritable(const std::wstring& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ScopedFile(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

ScopedKernelHandle KillOnCloseJob() {
  ScopedKernelHandle job(CreateJobObjectW(nullptr, nullptr));
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job.valid() && !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                              sizeof limits)) {
    job.reset();
  }
  return job;
}

// Starts the program suspended and puts it in the job before it runs, so everything it starts
// is in the job too. Windows 7 puts no job inside another: where this runner is in a job
// already (a CI service's), the program is started outside that one, if it allows.
bool StartInJob(const std::wstring& exe, std::wstring commandLine, const std::wstring& folder,
                STARTUPINFOW& startup, HANDLE job, ScopedKernelHandle& process, DWORD& error) {
  for (const DWORD breakaway : {0UL, static_cast<DWORD>(CREATE_BREAKAWAY_FROM_JOB)}) {
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED | breakaway, nullptr, folder.c_str(), &startup,
                        &started)) {
      error = GetLastError();
      if (error != ERROR_ACCESS_DENIED) return false;
      continue;
    }
    ScopedKernelHandle thread(started.hThread);
    process.reset(started.hProcess);
    if (AssignProcessToJobObject(job, process.get())) {
      ResumeThread(thread.get());
      return true;
    }
    error = GetLastError();
    TerminateProcess(process.get(), 1);
    process.reset();
  }
  return false;
}

enum class Outcome { kFinished, kTimedOut, kNotRun };

struct Run {
  Outcome outcome = Outcome::kNotRun;
  std::string problem;
};

Run RunProgram(const std::wstring& folder, const std::wstring& results, const std::wstring& name,
               DWORD timeoutSeconds) {
  Run run;
  const std::wstring output = results + name + L".txt";
  if (!Clear(results + name + L".xml", run.problem) || !Clear(output, run.problem)) return run;
  const ScopedFile input = OpenInheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
  const ScopedFile log = OpenInheritable(output, GENERIC_WRITE, CREATE_ALWAYS);
  if (!log.valid()) {
    run.problem = "could not write its output (error " + std::to_string(GetLastError()) + ")";
    return run;
  }
  const ScopedKernelHandle job = KillOnCloseJob();
  if (!job.valid()) {
    run.problem = "no job to run it in (error " + std::to_string(GetLastError()) + ")";
    return run;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get();
  startup.hStdOutput = log.get();
  startup.hStdError = log.get();
  const std::wstring exe = folder + name + L".exe";
  const std::wstring commandLine =
      L"\"" + exe + L"\" \"--gtest_output=xml:" + results + name + L".xml" + L"\"";
  ScopedKernelHandle process;
  DWORD error = 0;
  if (!StartInJob(exe, commandLine, folder, startup, job.get(), process, error)) {
    run.problem = "could not be started (error " + std::to_string(error) + ")";
    return run;
  }
  run.outcome = Outcome::kFinished;
  if (WaitForSingleObject(process.get(), timeoutSeconds * 1000) == WAIT_TIMEOUT) {
    TerminateJobObject(job.get(), ERROR_TIMEOUT);
    WaitForSingleObject(process.get(), 30000);
    run.outcome = Outcome::kTimedOut;
  }
  // Closing the job ends whatever the program left running.
  return run;
}

// Whether this program's console was opened for this run, and so closes when it ends: a
// double-click on run-tests.cmd gives a console that holds cmd and this program alone. From a
// Command Prompt, PowerShell, Windows Terminal or a CI service more processes share it; with no
// console, or input from elsewhere, there is no one to press a key. Wine's console, started from
// a terminal, lists this program alone, as a console of its own would on Windows, and under
// tools/test there is none: under Wine it never waits.
bool ConsoleIsThisRunsAlone() {
  if (WineVersion() != nullptr) return false;
  DWORD mode = 0;
  if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) return false;
  DWORD processes[4];
  const DWORD count = GetConsoleProcessList(processes, 4);
  return count >= 1 && count <= 2;
}

void WaitForKey() {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  std::fputs("Press any key to close this window.\n", stdout);
  std::fflush(stdout);
  FlushConsoleInputBuffer(input);
  INPUT_RECORD record{};
  DWORD read = 0;
  while (ReadConsoleInputW(input, &record, 1, &read) && read == 1) {
    if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) return;
  }
}

int Finish(int status, const Options& options) {
  std::fflush(stdout);
  if (!options.noPause && ConsoleIsThisRunsAlone()) WaitForKey();
  return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const Options options = ParseArguments(argc, argv);
  if (!options.valid) {
    std::fputs("usage: test_summary [/nopause] [/timeout:SECONDS] PROGRAM...\n", stderr);
    return Finish(2, options);
  }
  const std::wstring folder = OwnFolder();
  const std::wstring results = folder + L"results\\";
  std::string unused;
  if ((!CreateDirectoryW(results.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) ||
      !Clear(results + L"summary.txt", unused)) {
    std::fputs("could not make the results folder ready\n", stderr);
    return Finish(1, options);
  }
  std::vector<Run> runs;
  for (const std::wstring& name : options.programs) {
    std::printf("Running %s...\n", Narrow(name).c_str());
    std::fflush(stdout);
    runs.push_back(RunProgram(folder, results, name, options.timeoutSeconds));
  }
  std::string text =
      "\n" + WindowsVersion() + "\nANSI code page " + std::to_string(GetACP()) + "\n";
  std::string cases;
  Counts total;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::string program = Narrow(options.programs[i]);
    std::string xml;
    Report report;
    report.counts.failed = 1;
    if (runs[i].outcome == Outcome::kNotRun) {
      text += program + ": " + runs[i].problem + "\n";
    } else if (runs[i].outcome == Outcome::kTimedOut) {
      text += program + ": timed out after " + std::to_string(options.timeoutSeconds) + " s\n";
    } else if (ReadWhole(results + options.programs[i] + L".xml", xml)) {
      report = vantrel::ReadGoogleTestReport(xml);
      text += program + ": " + CountsLine(report.counts) + "\n";
    } else {
      text += program + ": no results (the program ended before writing them)\n";
    }
    for (const std::string& name : report.failedCases) {
      cases += "failed: " + program + " " + name + "\n";
    }
    for (const Skip& skip : report.skippedCases) {
      cases += "skipped: " + program + " " + skip.name + "\n";
    }
    Add(total, report.counts);
  }
  text += cases + CountsLine(total) + "\n";
  std::fputs(text.c_str(), stdout);
  // Text mode: CR LF line ends, as Notepad expects. Without the blank line that parts it from
  // the programs' names on the screen.
  if (const File summary = Open(results + L"summary.txt", L"w")) {
    std::fputs(text.c_str() + 1, summary.get());
  } else {
    std::fputs("could not write results\\summary.txt\n", stderr);
    return Finish(1, options);
  }
  return Finish(total.failed == 0 ? 0 : 1, options);
}
