// The manual pages name the options the programs themselves offer: the
// OPTIONS section of each page lists exactly the options of its program's
// --help, and the short form that prints the same help.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

using Options = std::set<std::string>;

struct Run {
    std::string output;
    int status = -1;
};

Run RunProgram(const std::string& command) {
    Run run;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return run;
    char chunk[512];
    while (size_t n = fread(chunk, 1, sizeof chunk, pipe)) run.output.append(chunk, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Every "-x" or "--name" that stands as a word of `text`.
Options OptionsIn(const std::string& text) {
    static const std::regex option(R"((?:^|[\s\["|])(--?[a-z][a-z-]*))");
    Options found;
    for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it)
        found.insert((*it)[1]);
    return found;
}

// The options a manual page lists: the tags of its OPTIONS section.
Options ManualOptions(const std::string& page) {
    std::ifstream in(page);
    std::string line;
    std::string tags;
    bool inOptions = false;
    bool tagNext = false;
    while (std::getline(in, line)) {
        if (line.rfind(".SH", 0) == 0) inOptions = line == ".SH OPTIONS";
        if (!inOptions) continue;
        if (tagNext) tags += std::regex_replace(line, std::regex(R"(\\-)"), "-") + "\n";
        tagNext = line == ".TP";
    }
    return OptionsIn(tags);
}

// What --help names, and the short forms answered with the same help.
Options HelpOptions(const std::string& program) {
    const Run help = RunProgram(program + " --help");
    EXPECT_EQ(help.status, 0) << program;
    Options options = OptionsIn(help.output);
    options.insert("--help");
    const Run shortHelp = RunProgram(program + " -h");
    if (shortHelp.status == 0 && shortHelp.output == help.output) options.insert("-h");
    return options;
}

TEST(Manual, ListsExactlyTheOptionsOfHelp) {
    const struct {
        const char* program;
        const char* page;
    } pages[] = {
        {TELVOXA_APP_PATH, TELVOXA_MAN_DIR "/telvoxa.1"},
        {TELVOXA_PHONE_PATH, TELVOXA_MAN_DIR "/telvoxa-phone.1"},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.page);
        const Options documented = ManualOptions(page.page);
        EXPECT_GE(documented.size(), 3u);
        EXPECT_EQ(documented, HelpOptions(page.program));
    }
}

}  // namespace
