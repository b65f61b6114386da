#include "support/cli_runner.h"

#include "support/temp_dir.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;

namespace tunvale::testing {

CliResult runProgram(const fs::path &program, const std::vector<std::string> &arguments, const fs::path &scratch,
                     const fs::path &cwd)
{
    std::string command;
    if (!cwd.empty())
        command = "cd " + shellQuote(cwd.string()) + " && ";
    command += shellQuote(program.string());
    for (const std::string &a : arguments)
        command += " " + shellQuote(a);
    const fs::path out = scratch / "stdout.txt";
    const fs::path err = scratch / "stderr.txt";
    command += " >" + shellQuote(out.string()) + " 2>" + shellQuote(err.string()) + " </dev/null";
    CliResult result;
    result.status = runCommand(command);
    result.out = readFile(out);
    result.err = readFile(err);
    std::error_code ec;
    fs::remove(out, ec);
    fs::remove(err, ec);
    return result;
}

pid_t startProgram(const fs::path &program, const std::vector<std::string> &arguments, const fs::path &out,
                   const fs::path &err)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string outPath = out.empty() ? "/dev/null" : out.string();
    const std::string errPath = err.empty() ? "/dev/null" : err.string();
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> words = {program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool makeTaggedMp3(const fs::path &path, const std::string &artist, const std::string &title, int track,
                   double seconds)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    const std::string command = "ffmpeg -nostdin -loglevel error -f lavfi -i sine=frequency=440:duration="
        + std::to_string(seconds) + " -c:a libmp3lame -b:a 64k -id3v2_version 3 -metadata artist=" + shellQuote(artist)
        + " -metadata title=" + shellQuote(title) + " -metadata track=" + std::to_string(track) + " -y "
        + shellQuote(path.string());
    return runCommand(command) == 0;
}

} // namespace tunvale::testing
