#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "ScratchFolder.h"

// Runs a shell command; its standard output, standard error and exit status.
struct ProgramResult {
    std::string out;
    std::string err;
    int status = -1;
};

inline ProgramResult RunProgram(const std::string& command)
{
    char errName[] = "/tmp/sleevit-stderr-XXXXXX";
    const int fd = ::mkstemp(errName);
    ProgramResult result;
    if (FILE* pipe = fd < 0 ? nullptr : ::popen((command + " 2>" + errName).c_str(), "r")) {
        char buffer[4096];
        for (std::size_t got = 0; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            result.out.append(buffer, got);
        const int raw = ::pclose(pipe);
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.err = ReadBytes(errName);
    }
    if (fd >= 0) {
        ::close(fd);
        std::remove(errName);
    }
    return result;
}
