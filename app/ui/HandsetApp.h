#pragma once
// Runs the whole program: returns the process exit status.
int RunHandsetApp(int argc, char* argv[]);
