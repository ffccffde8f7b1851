#include "app/ui/HandsetApp.h"

int main(int argc, char* argv[]) { return RunHandsetApp(argc, argv); }
