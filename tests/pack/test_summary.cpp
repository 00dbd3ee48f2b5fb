// The test pack's runner, started by run-tests.cmd with the names of the test programs beside it:
//   test_summary [/nopause] [/timeout:SECONDS] app_tests program_tests ...
// runs each program in turn from this folder, its GoogleTest XML report going to
// results\<name>.xml and its output to results\<name>.txt, and ends one still running after
// SECONDS (600 unless given) together with every process it started. Then prints and writes to
// results\summary.txt the Windows version, the ANSI code page, a line per program, the failed and
// skipped cases, and last the totals: "N passed, N failed, N skipped". A program that timed out,
// could not be started, whose report is missing or whose earlier results file stays in use
// counts as one failure. The exit code is 0 only when nothing failed. Counts with
// result_counts.cpp, as the host's test_summary counts CTest's results.
// Waits for a key before its window closes when run-tests.cmd was double-clicked, never with
// /nopause. /nojob runs the programs as where Windows gives no job object: for the bench's check
// of that case, never needed by a user.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/scoped_win.h"
#include "result_counts.h"
#include "support/temp_directory.h"

namespace {

using vantrel::Add;
using vantrel::Counts;
using vantrel::CountsLine;
using vantrel::Report;
using vantrel::ScopedFile;
using vantrel::ScopedKernelHandle;
using vantrel::Skip;
using vantrel::StartFailure;

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

// An environment variable run-tests.cmd set for this program alone, taken out of the
// environment the test programs get.
std::wstring TakeVariable(const wchar_t* name) {
  std::wstring value(32768, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
  SetEnvironmentVariableW(name, nullptr);
  return value;
}

std::wstring Upper(std::wstring text) {
  CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// Explorer starts a double-clicked batch file as cmd /c ""PATH" ", so cmd's command line, which
// run-tests.cmd hands on, names it. Typed at a Command Prompt, the batch file runs in the
// prompt's own cmd, whose command line names none.
bool StartedForTheScript() {
  const std::wstring line = TakeVariable(L"VANTREL_CMDCMDLINE");
  const std::wstring script = TakeVariable(L"VANTREL_SCRIPT");
  return !script.empty() && Upper(line).find(Upper(script)) != std::wstring::npos;
}

struct Options {
  bool valid = true;
  bool noPause = false;
  bool noJob = false;
  bool startedForTheScript = false;
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
  options.startedForTheScript = StartedForTheScript();
  constexpr std::wstring_view timeout = L"/timeout:";
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view argument = argv[i];
    if (_wcsicmp(argv[i], L"/nopause") == 0) {
      options.noPause = true;
    } else if (_wcsicmp(argv[i], L"/nojob") == 0) {
      options.noJob = true;
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

// Explorer's preview pane, OneDrive or a virus scanner may hold a file for a while: tried again
// as the tests' own files are. The error of the last try, 0 when one succeeded.
DWORD Retrying(const std::function<bool()>& attempt) {
  return vantrel::testing::WhileHeld(attempt) ? 0 : GetLastError();
}

// Removes a file an earlier run left.
DWORD Clear(const std::wstring& path) {
  return Retrying(
      [&] { return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; });
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

struct Started {
  ScopedKernelHandle process;
  DWORD id = 0;
  DWORD jobError = 0;  // why it runs without a job object, when it does
};

bool Create(const std::wstring& exe, std::wstring commandLine, const std::wstring& folder,
            STARTUPINFOW& startup, DWORD flags, Started& started, ScopedKernelHandle& thread) {
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                      folder.c_str(), &startup, &info)) {
    return false;
  }
  started.process.reset(info.hProcess);
  started.id = info.dwProcessId;
  thread.reset(info.hThread);
  return true;
}

// Starts the program suspended and puts it in the job before it runs, so everything it starts
// is in the job too. Windows 7 puts no job inside another: where this runner is in a job
// already (a CI service's), the program is started outside that one, if it allows; else, as
// where there is no job at all, it runs without one. The error when it cannot be started.
DWORD Start(const std::wstring& exe, const std::wstring& commandLine, const std::wstring& folder,
            STARTUPINFOW& startup, HANDLE job, Started& started) {
  ScopedKernelHandle thread;
  for (const DWORD breakaway : {0UL, static_cast<DWORD>(CREATE_BREAKAWAY_FROM_JOB)}) {
    if (job == nullptr) break;
    if (!Create(exe, commandLine, folder, startup, CREATE_SUSPENDED | breakaway, started, thread)) {
      const DWORD error = GetLastError();
      if (error != ERROR_ACCESS_DENIED) return error;
      continue;
    }
    if (AssignProcessToJobObject(job, started.process.get())) {
      started.jobError = 0;
      ResumeThread(thread.get());
      return 0;
    }
    started.jobError = GetLastError();
    TerminateProcess(started.process.get(), 1);
    started.process.reset();
  }
  return Create(exe, commandLine, folder, startup, 0, started, thread) ? 0 : GetLastError();
}

// Hands `visit` each process running now, until it returns false.
template <typename Visit>
void ForEachProcess(Visit visit) {
  const ScopedFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more && visit(entry);
       more = Process32NextW(snapshot.get(), &entry)) {
  }
}

FILETIME CreationTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  return created;
}

// Without a job, the processes a program started are known only by their parent's id, and ids
// are reused: one made before the program began is no child of it, whatever its parent's id.
// Their handles stay open to the end, so no id of the tree is reused meanwhile. The program is
// ended first, so that it starts no more, then its descendants, as long as new ones turn up.
void EndTree(const Started& program) {
  const FILETIME started = CreationTime(program.process.get());
  TerminateProcess(program.process.get(), ERROR_TIMEOUT);
  std::vector<DWORD> ids{program.id};
  std::vector<ScopedKernelHandle> ended;
  const auto known = [&ids](DWORD id) {
    for (const DWORD i : ids) {
      if (i == id) return true;
    }
    return false;
  };
  for (bool found = true; found;) {
    found = false;
    ForEachProcess([&](const PROCESSENTRY32W& entry) {
      if (!known(entry.th32ParentProcessID) || known(entry.th32ProcessID)) return true;
      ScopedKernelHandle child(OpenProcess(
          PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ProcessID));
      if (!child.valid()) return true;
      const FILETIME created = CreationTime(child.get());
      if (CompareFileTime(&created, &started) < 0) return true;
      TerminateProcess(child.get(), ERROR_TIMEOUT);
      ids.push_back(entry.th32ProcessID);
      ended.push_back(std::move(child));
      found = true;
      return true;
    });
  }
  WaitForSingleObject(program.process.get(), 30000);
  for (const ScopedKernelHandle& child : ended) WaitForSingleObject(child.get(), 30000);
}

enum class Outcome { kFinished, kTimedOut, kNotRun };

struct Run {
  Outcome outcome = Outcome::kNotRun;
  std::string problem;
  bool blocked = false;
  std::string noJob;  // why it ran without a job object, when it did
};

std::string FileProblem(const std::string& file, DWORD error) {
  return vantrel::testing::HolderMayCause(error)
             ? "results file in use: " + file
             : "could not clear " + file + " (error " + std::to_string(error) + ")";
}

// A results file still held after the retries costs the program its run, not the whole run.
Run RunProgram(const std::wstring& folder, const std::wstring& results, const std::wstring& name,
               const Options& options) {
  Run run;
  const std::string file = "results\\" + Narrow(name);
  DWORD error = Clear(results + name + L".xml");
  if (error != 0) {
    run.problem = FileProblem(file + ".xml", error);
    return run;
  }
  const ScopedFile input = OpenInheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
  // Before Windows 10, a file deleted while another process holds it stays until it lets go.
  ScopedFile log;
  error = Retrying([&] {
    log = OpenInheritable(results + name + L".txt", GENERIC_WRITE, CREATE_ALWAYS);
    return log.valid();
  });
  if (error != 0) {
    run.problem = FileProblem(file + ".txt", error);
    return run;
  }
  ScopedKernelHandle job;
  Started started;
  if (!options.noJob) {
    job = KillOnCloseJob();
    if (!job.valid()) started.jobError = GetLastError();
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
  error = Start(exe, commandLine, folder, startup, job.get(), started);
  if (error != 0) {
    const StartFailure failure = vantrel::DescribeStartFailure(Narrow(name), error);
    run.problem = failure.words;
    run.blocked = failure.blocked;
    return run;
  }
  if (options.noJob) {
    run.noJob = "/nojob";
  } else if (started.jobError != 0) {
    run.noJob = "error " + std::to_string(started.jobError);
  }
  run.outcome = Outcome::kFinished;
  if (WaitForSingleObject(started.process.get(), options.timeoutSeconds * 1000) == WAIT_TIMEOUT) {
    if (run.noJob.empty()) {
      TerminateJobObject(job.get(), ERROR_TIMEOUT);
      WaitForSingleObject(started.process.get(), 30000);
    } else {
      EndTree(started);
    }
    run.outcome = Outcome::kTimedOut;
  }
  // Closing the job ends whatever the program left running.
  return run;
}

// CR LF line ends, as Notepad expects.
DWORD WriteSummary(const std::wstring& path, std::string_view text) {
  std::string bytes;
  for (const char c : text) bytes += c == '\n' ? "\r\n" : std::string(1, c);
  ScopedFile file;
  DWORD error = Retrying([&] {
    file = ScopedFile(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
  });
  DWORD written = 0;
  if (error == 0 &&
      !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    error = GetLastError();
  }
  return error;
}

// Wine opens the console of a program started from a Unix terminal in its start.exe, which stays
// attached to it; Explorer, which opens the console of a double-clicked batch file on Windows,
// does not.
bool IsWinesLauncher(DWORD id) {
  if (WineVersion() == nullptr) return false;
  bool launcher = false;
  ForEachProcess([&](const PROCESSENTRY32W& entry) {
    if (entry.th32ProcessID != id) return true;
    launcher = _wcsicmp(entry.szExeFile, L"start.exe") == 0;
    return false;
  });
  return launcher;
}

// Whether this program's console was opened for this run, and so closes when it ends: Explorer
// gives a double-clicked run-tests.cmd a console that holds cmd and this program alone. In
// PowerShell, Windows Terminal's or a script's console more processes share it; with no
// console, or input from elsewhere, there is no one to press a key. A Command Prompt's console
// holds its cmd and this program too: there only cmd's command line tells.
bool ConsoleIsThisRunsAlone() {
  DWORD mode = 0;
  if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) return false;
  DWORD processes[8];
  const DWORD count = GetConsoleProcessList(processes, 8);
  if (count > 8) return false;
  DWORD others = 0;
  for (DWORD i = 0; i < count; ++i) others += IsWinesLauncher(processes[i]) ? 0 : 1;
  return others >= 1 && others <= 2;
}

// Keys pressed during the run are dropped before the question, not after it.
void WaitForKey() {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  FlushConsoleInputBuffer(input);
  std::fputs("Press any key to close this window.\n", stdout);
  std::fflush(stdout);
  INPUT_RECORD record{};
  DWORD read = 0;
  while (ReadConsoleInputW(input, &record, 1, &read) && read == 1) {
    if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) return;
  }
}

int Finish(int status, const Options& options) {
  std::fflush(stdout);
  if (!options.noPause && options.startedForTheScript && ConsoleIsThisRunsAlone()) WaitForKey();
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
  if (!CreateDirectoryW(results.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    std::fputs("could not make the results folder\n", stderr);
    return Finish(1, options);
  }
  // An earlier run's summary goes first, so that a run cut short leaves none; one still held
  // is tried again at the end.
  Clear(results + L"summary.txt");
  std::vector<Run> runs;
  for (const std::wstring& name : options.programs) {
    std::printf("Running %s...\n", Narrow(name).c_str());
    std::fflush(stdout);
    runs.push_back(RunProgram(folder, results, name, options));
  }
  std::string text =
      "\n" + WindowsVersion() + "\nANSI code page " + std::to_string(GetACP()) + "\n";
  std::string cases, noJob;
  bool blocked = false;
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
    blocked |= runs[i].blocked;
    if (noJob.empty()) noJob = runs[i].noJob;
  }
  if (!noJob.empty()) {
    text +=
        "ran without a job object (" + noJob + "): programs a test left running may not be ended\n";
  }
  text += cases;
  if (blocked) {
    text +=
        "Windows or an antivirus kept some programs from running. Unzip the pack again into a new "
        "folder outside Documents, Desktop and OneDrive, allow the programs in Windows Security "
        "or your antivirus, or run the tests on a PC where Smart App Control is off.\n";
  }
  text += CountsLine(total) + "\n";
  std::fputs(text.c_str(), stdout);
  // Without the blank line that parts it from the programs' names on the screen.
  const DWORD error = WriteSummary(results + L"summary.txt", text.substr(1));
  if (error != 0) {
    std::fputs((FileProblem("results\\summary.txt", error) + "\n").c_str(), stderr);
    return Finish(1, options);
  }
  return Finish(total.failed == 0 ? 0 : 1, options);
}
