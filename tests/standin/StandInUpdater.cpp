// A stand-in for the external updater, Ethernet_Update.exe, that the tests put into a workspace.
// Beside itself it appends "PID ARGUMENT-COUNT" to starts.txt, writes its working folder to
// cwd.txt, its start (Probe.h) to probe.txt, its PID to updater.pid, and copies the job file
// it finds to job-seen.xml. Then it does what stand-in.txt beside it asks, "SECONDS LINES": it
// sleeps that long, prints that many lines on its standard output and its standard error, and
// writes finished.txt. Plain C++, so that it runs wherever it is copied.
#include "Probe.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace {
void writeFile(const fs::path &path, const std::string &text, std::ios::openmode mode = std::ios::trunc)
{
    std::ofstream(path, std::ios::binary | std::ios::out | mode) << text;
}
} // namespace

int main(int argc, char *argv[])
{
    const fs::path here = fs::absolute(fs::path(argv[0])).parent_path();
    writeFile(here / "starts.txt", std::to_string(processId()) + " " + std::to_string(argc - 1) + "\n", std::ios::app);
    writeFile(here / "cwd.txt", fs::current_path().string() + "\n");
    writeFile(here / "probe.txt", startProbe());
    // Whole or not at all: a test reads it while this runs.
    writeFile(here / "updater.pid.tmp", std::to_string(processId()) + "\n");
    fs::rename(here / "updater.pid.tmp", here / "updater.pid");
    std::error_code ignored;
    fs::copy_file(here / "Ethernet_Update.xml", here / "job-seen.xml", fs::copy_options::overwrite_existing, ignored);

    int seconds = 0;
    int lines = 0;
    std::ifstream(here / "stand-in.txt") >> seconds >> lines;
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    for (int i = 0; i < lines; ++i) {
        std::printf("writing block %d\n", i);
        std::fflush(stdout); // line by line, as its errors come
        std::fprintf(stderr, "warning %d\n", i);
    }
    writeFile(here / "finished.txt", "done\n");
    return 0;
}
