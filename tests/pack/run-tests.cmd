@echo off
rem Runs Vantrel's Windows test programs that lie beside this file, each writing GoogleTest's
rem XML report and its output into the results folder here, then adds them up: the summary goes
rem to the screen and to results\summary.txt. Exits with 0 only when nothing failed.
rem Works from any folder and any current directory; needs no administrator rights or network.
setlocal
pushd "%~dp0"
rem An earlier run's reports would be counted again, hiding a program that now writes none.
if exist results rd /s /q results
md results
set programs=@PROGRAMS@
for %%p in (%programs%) do (
  echo Running %%p...
  "%~dp0%%p.exe" --gtest_output=xml:results\%%p.xml >results\%%p.txt 2>&1
)
echo.
"%~dp0test_summary.exe" %programs%
set status=%errorlevel%
popd
rem Started by double-click, cmd runs this file alone (its command line names it) and its window
rem closes at the end: keep it open to be read. Typed in a Command Prompt, the prompt stays
rem anyway. Wine's cmd leaves CMDCMDLINE empty, so there it never waits.
setlocal EnableDelayedExpansion
set "launcher=!cmdcmdline!"
if defined launcher if /i not "!launcher:%~nx0=!"=="!launcher!" pause
exit /b %status%
