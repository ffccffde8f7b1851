#include <cstdio>
#include <string>
#include <vector>

#include "app/ui/CommandLine.h"
#include "app/ui/HandsetApp.h"

int main(int argc, char* argv[]) {
    const CommandLineRequest request =
        ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (request.action != CommandLineAction::RunWindow) {
        return RunCommandLine(request, stdout, stderr);
    }
    return RunHandsetApp(argc, argv);
}
