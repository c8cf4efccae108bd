// SPDX-License-Identifier: GPL-3.0-or-later
// A file system with one sound file, hung.wav, whose open never finishes, as on a network share
// whose server has gone. The caller waits until it is killed (as on a hard NFS mount), or until
// this program is, which fails the open. Each open that starts is told on standard output, so a
// test knows that something is waiting in it.
//
// Usage: hungshare -f MOUNTPOINT (and any other libfuse option)

#define FUSE_USE_VERSION 31
#include <cerrno>
#include <cstring>
#include <fuse.h>
#include <unistd.h>

namespace {

constexpr char Hung[] = "/hung.wav";

int getAttributes(const char *path, struct stat *status, fuse_file_info *)
{
    *status = {};
    if (std::strcmp(path, "/") == 0) {
        status->st_mode = S_IFDIR | 0755;
        status->st_nlink = 2;
        return 0;
    }
    if (std::strcmp(path, Hung) != 0)
        return -ENOENT;
    status->st_mode = S_IFREG | 0444;
    status->st_nlink = 1;
    status->st_size = 44 + 8820; // a WAV header and 0.1 s of 16-bit sound at 44.1 kHz
    return 0;
}

int open(const char *path, fuse_file_info *)
{
    if (std::strcmp(path, Hung) != 0)
        return -ENOENT;
    [[maybe_unused]] const auto told = ::write(STDOUT_FILENO, "open\n", 5);
    // The kernel asks for an interrupt when the caller is killed; without an answer the caller
    // could not even die.
    while (!fuse_interrupted())
        ::usleep(10'000);
    return -EINTR;
}

} // namespace

int main(int argc, char *argv[])
{
    fuse_operations operations{};
    operations.getattr = getAttributes;
    operations.open = open;
    return fuse_main(argc, argv, &operations, nullptr);
}
