// The least a batch of new configurations can cost: for each row, its folder and bin folder,
// then ParGen.xml and bin/bank.bin, each written to a temporary file, synced and renamed into
// place, on eight threads as batch writes. The bytes come from two sample files, so nothing is
// composed here; the time is that of the file system alone.
//   floor_batch PROJECTS_DIR ROWS PARGEN_SAMPLE IMAGE_SAMPLE   (PROJECTS_DIR exists)
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string readSample(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "floor_batch: cannot read %s\n", path);
        std::exit(2);
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool fail(const std::string &what)
{
    std::fprintf(stderr, "floor_batch: %s: %s\n", what.c_str(), std::strerror(errno));
    return false;
}

// Temporary file, write, sync, rename: five system calls.
bool saveAtomic(const std::string &path, const std::string &data)
{
    const std::string temporary = path + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail(temporary);
    const bool written = ::write(fd, data.data(), data.size()) == ssize_t(data.size()) && ::fdatasync(fd) == 0;
    if (::close(fd) != 0 || !written)
        return fail(temporary);
    return ::rename(temporary.c_str(), path.c_str()) == 0 || fail(path);
}

bool writeRow(const std::string &projects, long row, const std::string &parGen, const std::string &image)
{
    char name[32];
    std::snprintf(name, sizeof name, "/Unit %05ld", row + 1);
    const std::string folder = projects + name;
    if (::mkdir(folder.c_str(), 0777) != 0 || ::mkdir((folder + "/bin").c_str(), 0777) != 0)
        return fail(folder);
    return saveAtomic(folder + "/ParGen.xml", parGen) && saveAtomic(folder + "/bin/bank.bin", image);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: floor_batch PROJECTS_DIR ROWS PARGEN_SAMPLE IMAGE_SAMPLE\n");
        return 2;
    }
    const std::string projects = argv[1];
    const long rows = std::strtol(argv[2], nullptr, 10);
    const std::string parGen = readSample(argv[3]);
    const std::string image = readSample(argv[4]);

    constexpr int kWriters = 8;
    std::atomic_long next = 0;
    std::atomic_bool failed = false;
    std::vector<std::thread> writers;
    for (int t = 0; t < kWriters; ++t) {
        writers.emplace_back([&] {
            for (long row = next++; row < rows && !failed; row = next++) {
                if (!writeRow(projects, row, parGen, image))
                    failed = true;
            }
        });
    }
    for (std::thread &writer : writers)
        writer.join();
    return failed ? 1 : 0;
}
