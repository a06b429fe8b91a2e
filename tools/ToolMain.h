#pragma once
// The entry of a command-line tool: --help (or -h) anywhere prints the usage,
// --version the tool's name and version;
// an error escaping `run` becomes one line "<name>: <message>" on standard
// error and exit status 1, after whatever was printed so far.

#include "lib/Z5UtilsUnit.h"

#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <vector>

inline int RunTool(int argc, char** argv, const char* name, const char* usage,
                   const std::function<void(const std::vector<std::string>& args)>& run) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::fputs(VersionText(name).c_str(), stdout);
            return 0;
        }
    }
    try {
        run(args);
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", name, error.what());
        return 1;
    }
    return 0;
}
