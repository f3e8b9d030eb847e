@echo off
rem Placeholder for the setup program of your application: put yours in
rem its place and name it in pellomar.ini (SetupName).
echo This is where the setup program of Sample App would run.
pause
