// SPDX-License-Identifier: MIT
// The baseline of the draining measurement: a plain program that writes a file's bytes to a
// serial device with blocking write(2) calls and nothing else, on a line configured as the tool
// configures it (raw, 115200 bit/s, 8N1, XON/XOFF).
//
//   tessivar-bench-write <device> <file>
//
// Prints the CLOCK_MONOTONIC moment (ns) of its first write on standard output.
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: tessivar-bench-write <device> <file>\n");
        return 2;
    }
    std::FILE *in = std::fopen(argv[2], "rb");
    if (!in) {
        std::perror(argv[2]);
        return 1;
    }
    std::vector<char> bytes;
    char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(in);

    const int fd = ::open(argv[1], O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::perror(argv[1]);
        return 1;
    }
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_iflag |= IXON | IXOFF;
    ::tcsetattr(fd, TCSANOW, &tio);

    timespec start{};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            std::perror("write");
            return 1;
        }
        done += size_t(n);
    }
    ::tcdrain(fd);
    ::close(fd);
    std::printf("%lld\n", (long long)start.tv_sec * 1000000000 + start.tv_nsec);
    return 0;
}
