@echo off
rem Runs Vantrel's Windows test programs that lie beside this file, each writing GoogleTest's
rem XML report and its output into the results folder here, then adds them up: the summary goes
rem to the screen and to results\summary.txt. Exits with 0 only when nothing failed.
rem   run-tests.cmd [/nopause] [/timeout:SECONDS]
rem /timeout: how long one program may run before it is ended and counted as failed (600 s).
rem /nopause: never wait for a key at the end; without it, only a window opened by a
rem double-click waits. Works from any folder and any current directory; needs no administrator
rem rights or network. test_summary.exe does the work.
setlocal
set programs=@PROGRAMS@
rem Whether this file was double-clicked: then cmd's command line names it. test_summary.exe
rem compares the two, as cmd cannot be trusted to with & ! % ^ or = in a folder's name. Delayed
rem expansion takes the command line as it is; the path never passes through it.
set "VANTREL_SCRIPT=%~f0"
setlocal EnableDelayedExpansion
set "VANTREL_CMDCMDLINE=!cmdcmdline!"
setlocal DisableDelayedExpansion
rem From its own folder: Wine's cmd drops a % from %~dp0, which Windows' keeps, and there a run
rem started from this folder, as Explorer starts it, still finds test_summary.exe.
pushd "%~dp0"
.\test_summary.exe %* %programs%
set status=%errorlevel%
popd
exit /b %status%
