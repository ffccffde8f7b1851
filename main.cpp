#include <cstdio>
#include <string>
#include <vector>

#include "app/DisplayCheck.h"
#include "app/ui/ApplicationStart.h"
#include "app/ui/CommandLine.h"
#include "app/ui/HandsetApp.h"

int main(int argc, char* argv[]) {
    const CommandLineRequest request =
        ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (request.action != CommandLineAction::RunWindow) {
        return RunCommandLine(request, stdout, stderr);
    }
    // Before Qt, which would abort without a display to show the window on.
    if (!CanReachDisplay(CurrentDisplayEnvironment())) {
        std::fprintf(stderr, "%s\n", NoDisplayText().c_str());
        return 1;
    }
    return RunHandsetApp(argc, argv, request.number);
}
