// Runs the headless renderer as a user would, for the end-to-end tests.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct RenderProgramResult {
    int exitCode = -1;
    std::string output;  // standard output and error together
};

inline RenderProgramResult RunProgram(const std::string& arguments) {
    const std::string command = std::string(TF_RENDER_PROGRAM) + " " + arguments + " 2>&1";
    RenderProgramResult r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) r.output.append(buffer, n);
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}
