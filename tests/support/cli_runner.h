#pragma once

// Running the built command-line tool from end-to-end tests, and the small MP3 files they feed
// it.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tunvale::testing {

struct CliResult {
    int status = -1;   // the exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs program with arguments, stdin from /dev/null, in the folder cwd when one is given; its
// output is collected through two files in scratch, removed afterwards.
CliResult runProgram(const std::filesystem::path &program, const std::vector<std::string> &arguments,
                     const std::filesystem::path &scratch, const std::filesystem::path &cwd = {});

// Starts program with arguments in the background, stdout to out and stderr to err (both
// /dev/null when empty); the child's process id, or -1.
pid_t startProgram(const std::filesystem::path &program, const std::vector<std::string> &arguments,
                   const std::filesystem::path &out = {}, const std::filesystem::path &err = {});

// A tagged MP3 of seconds of sine tone written by ffmpeg; false when ffmpeg failed.
bool makeTaggedMp3(const std::filesystem::path &path, const std::string &artist, const std::string &title, int track,
                   double seconds = 0.2);

} // namespace tunvale::testing
