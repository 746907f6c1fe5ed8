#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

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
    if (fd < 0)
        return result;
    ::close(fd);
    const std::string errFile = errName;
    FILE* pipe = ::popen((command + " 2>" + errFile).c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::array<char, 4096> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.out.append(buffer.data(), got);
    const int raw = ::pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    if (FILE* err = std::fopen(errFile.c_str(), "rb")) {
        while ((got = std::fread(buffer.data(), 1, buffer.size(), err)) > 0)
            result.err.append(buffer.data(), got);
        std::fclose(err);
    }
    std::remove(errFile.c_str());
    return result;
}
