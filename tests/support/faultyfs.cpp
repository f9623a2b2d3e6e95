// A CD drive that fails on demand: a read-only FUSE mirror of a folder, for tst_faultydisc.
// Usage: orvane-faultyfs SOURCE MOUNTPOINT CONTROLFILE (its files are closed when it ends). The
// control file's line, read at every operation, says what the drive does: "ok"; "eio NAME", reads
// of the second half of files called NAME give EIO (a scratch); "gone", everything gives ENOTCONN
// (the disc taken out); "stall NAME", reads of NAME wait 30 s or until the line changes (a drive
// that hangs); "slow NAME", reads of NAME take 10 ms each, as do those of "eio" (a 24x drive's
// piece). Each read is logged in CONTROLFILE.reads.
#define FUSE_USE_VERSION 31
#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

static std::string source, control;

// Whether the drive is in that mode for this file: the mode names the file, or no file at all.
static bool is(const char *mode, const char *path = "") {
    std::string now, name = path;
    std::getline(std::ifstream(control), now);
    const size_t n = strlen(mode);
    return now.starts_with(mode) &&
           (now.size() == n || now.substr(n + 1) == name.substr(name.rfind('/') + 1));
}

static int getattr(const char *path, struct stat *st, fuse_file_info *) {
    return is("gone") ? -ENOTCONN : lstat((source + path).c_str(), st) == 0 ? 0 : -errno;
}

static int readdir(const char *path, void *buf, fuse_fill_dir_t fill, off_t, fuse_file_info *,
                   fuse_readdir_flags) {
    DIR *d = is("gone") ? nullptr : opendir((source + path).c_str());
    for (dirent *e; d && (e = ::readdir(d));)
        fill(buf, e->d_name, nullptr, 0, fuse_fill_dir_flags(0));
    return d && closedir(d) == 0 ? 0 : -ENOTCONN;
}

static int open(const char *path, fuse_file_info *fi) {
    const int fd = is("gone") ? -1 : ::open((source + path).c_str(), O_RDONLY);
    fi->fh = uint64_t(fd);
    fi->direct_io = 1;
    return fd >= 0 ? 0 : -ENOTCONN;
}

static int read(const char *path, char *buf, size_t size, off_t at, fuse_file_info *fi) {
    std::ofstream(control + ".reads", std::ios::app) << path << '\n';
    for (int i = 0; i < 3000 && is("stall", path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (is("slow", path) || is("eio", path))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (is("gone"))
        return -ENOTCONN;
    if (is("eio", path) && at + off_t(size) > lseek(int(fi->fh), 0, SEEK_END) / 2)
        return -EIO;
    const ssize_t n = pread(int(fi->fh), buf, size, at);
    return n < 0 ? -errno : int(n);
}

int main(int, char *argv[]) {
    source = argv[1], control = argv[3];
    static fuse_operations ops{};
    ops.getattr = getattr, ops.open = open, ops.read = read;
    ops.readdir = readdir;
    // Every look and every read reaches this program, none is answered from a cache; many
    // threads, so a stalled read holds up only itself.
    char fg[] = "-f", o[] = "-o",
         options[] = "ro,entry_timeout=0,attr_timeout=0,negative_timeout=0";
    char *args[] = {argv[0], fg, o, options, argv[2], nullptr};
    return fuse_main(5, args, &ops, nullptr);
}
