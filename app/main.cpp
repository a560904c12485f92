#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli_args.h"
#include "app/window/program.h"

int main(int argc, char** argv) {
    // --help, --version and a wrong option are answered before the window system starts,
    // so they work without a display; so does the want of a display.
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (const auto answered = cli::answerWindowArguments(words, std::cout, std::cerr))
        return *answered;
    if (!cli::displayNamed(words,
                           [](const char* name) -> const char* { return std::getenv(name); })) {
        std::cerr << cli::kNoDisplayMessage;
        return cli::kExitFailure;
    }
    return runProgram(argc, argv);
}
