#include "app/media/search/DirectoryWalk.h"

#include <cerrno>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace media {

long long (*kernelCopyForTesting)(int in, int out, std::size_t length) = nullptr;

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

#ifdef _WIN32

std::wstring widen(const std::string& text) {
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string narrow(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string bytes(static_cast<std::size_t>(size - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// Windows paths are UTF-8 here. Junctions and mounted volumes are reparse points: skipping them
// keeps the walk on one volume and out of loops, as st_dev and O_NOFOLLOW do elsewhere.
struct Walker {
    std::string_view pattern;
    bool recurse;
    const std::function<void()>& beforeSubfolder;
    std::vector<std::string>& out;

    void walk(const std::string& folder) {
        WIN32_FIND_DATAW entry;
        HANDLE search = FindFirstFileExW(widen(folder + "*").c_str(), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (search == INVALID_HANDLE_VALUE) {
            return;
        }
        std::vector<std::string> subfolders;
        do {
            const std::string name = narrow(entry.cFileName);
            if (name.empty() || isDotOrDotDot(name.c_str())) {
                continue;
            }
            if (wildcardMatch(pattern, name)) {
                out.push_back(folder + name);
            }
            const DWORD attributes = entry.dwFileAttributes;
            if (recurse && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && name[0] != '.') {
                subfolders.push_back(name);
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
        for (const std::string& name : subfolders) {
            if (beforeSubfolder) {
                beforeSubfolder();
            }
            walk(folder + name + kSeparator);
        }
    }
};

#else

// One fd is open at a time (the folder being read), so depth is bounded only by the length of
// a path, not by the fd limit.
struct Walker {
    std::string_view pattern;
    bool recurse;
    const std::function<void()>& beforeSubfolder;
    std::vector<std::string>& out;
    dev_t device = 0;

    // Reads the open folder `fd` (named `folder`, ending with "/") and walks its subfolders.
    void walk(const std::string& folder, int fd) {
        DIR* dir = fdopendir(fd);
        if (dir == nullptr) {
            close(fd);
            return;
        }
        std::vector<std::string> subfolders;
        // A read error ends the listing as if no further entries existed.
        while (const dirent* entry = readdir(dir)) {
            const char* name = entry->d_name;
            if (isDotOrDotDot(name)) {
                continue;
            }
            const std::string_view view(name);
            if (wildcardMatch(pattern, view)) {
                out.push_back(folder + name);
            }
            if (!recurse || name[0] == '.') {
                continue;
            }
            bool isFolder = entry->d_type == DT_DIR;
            if (entry->d_type == DT_UNKNOWN) {
                // Only file systems that do not report types cost a stat per entry.
                struct stat info {};
                isFolder = fstatat(dirfd(dir), name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                           S_ISDIR(info.st_mode);
            }
            if (isFolder) {
                subfolders.emplace_back(view);
            }
        }
        closedir(dir);
        for (const std::string& name : subfolders) {
            if (beforeSubfolder) {
                beforeSubfolder();
            }
            enter(folder + name + kSeparator);
        }
    }

    void enter(const std::string& folder) {
        // O_NOFOLLOW: a folder swapped for a symbolic link after listing is not followed either.
        const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            return;
        }
        struct stat info {};
        if (fstat(fd, &info) != 0 || info.st_dev != device) {
            close(fd);
            return;
        }
        walk(folder, fd);
    }
};

#endif

}  // namespace

std::size_t findMatches(const std::string& folder, std::string_view pattern, bool recurse,
                        const std::function<void()>& beforeSubfolder,
                        std::vector<std::string>& out) {
    if (folder.empty()) {
        return 0;
    }
    const std::size_t before = out.size();
    std::string start = folder;
    if (start.back() != kSeparator && start.back() != '/') {
        start += kSeparator;
    }
    Walker walker{pattern, recurse, beforeSubfolder, out};
#ifdef _WIN32
    walker.walk(start);
#else
    // The start folder itself may be reached through a link (a user's data folder often is).
    const int fd = open(start.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        close(fd);
        return 0;
    }
    walker.device = info.st_dev;
    walker.walk(start, fd);
#endif
    return out.size() - before;
}

#ifdef _WIN32

bool isRegularFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

CopyResult copyFile(const std::string& from, const std::string& to, bool sync) {
    CopyResult result;
    if (!CopyFileW(widen(from).c_str(), widen(to).c_str(), FALSE)) {
        result.errorNumber = static_cast<int>(GetLastError());
        result.detail = "CopyFileW";
        DeleteFileW(widen(to).c_str());
        return result;
    }
    if (sync) {
        HANDLE file = CreateFileW(widen(to).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            FlushFileBuffers(file);
            CloseHandle(file);
        }
    }
    result.ok = true;
    return result;
}

#else

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

namespace {

CopyResult failure(const char* step) {
    CopyResult result;
    result.errorNumber = errno;
    result.detail = std::string(step) + ": " + std::strerror(result.errorNumber);
    return result;
}

// Copies the rest of `in` to `out` with plain reads and writes.
bool copyByReading(int in, int out) {
    std::vector<char> buffer(1 << 18);
    for (;;) {
        const ssize_t got = read(in, buffer.data(), buffer.size());
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        std::size_t done = 0;
        const auto size = static_cast<std::size_t>(got);
        while (done < size) {
            const ssize_t put = write(out, buffer.data() + done, size - done);
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            done += static_cast<std::size_t>(put);
        }
    }
}

// The kernel copies without a round trip through user memory (and may share extents on file
// systems that can). Returns false with errno set; `fallBack` tells that nothing was copied
// and the file system simply does not offer this, so plain reads should be tried.
bool copyInKernel(int in, int out, bool& fallBack) {
    fallBack = false;
#ifdef __linux__
    bool first = true;
    for (;;) {
        const std::size_t chunk = 1 << 30;
        const ssize_t done = kernelCopyForTesting != nullptr
                                 ? static_cast<ssize_t>(kernelCopyForTesting(in, out, chunk))
                                 : copy_file_range(in, nullptr, out, nullptr, chunk, 0);
        if (done == 0) {
            return true;
        }
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            fallBack = first && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                                 errno == EOPNOTSUPP || errno == EPERM);
            return false;
        }
        first = false;
    }
#else
    (void)in;
    (void)out;
    fallBack = true;
    return false;
#endif
}

int syncData(int fd) {
#ifdef __linux__
    return fdatasync(fd);
#else
    return fsync(fd);
#endif
}

}  // namespace

CopyResult copyFile(const std::string& from, const std::string& to, bool sync) {
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return failure("open source");
    }
    struct stat info {};
    if (fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        // A folder opens fine for reading; refuse it before a target is created.
        CopyResult result = failure("source is not a regular file");
        if (result.errorNumber == 0 || S_ISDIR(info.st_mode)) {
            result.errorNumber = EISDIR;
        }
        close(in);
        return result;
    }
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
        CopyResult result = failure("create target");
        close(in);
        return result;
    }
    bool fallBack = false;
    bool copied = copyInKernel(in, out, fallBack);
    if (!copied && fallBack) {
        copied = copyByReading(in, out);
    }
    CopyResult result;
    if (!copied) {
        result = failure("copy");
    } else if (sync && syncData(out) != 0) {
        result = failure("sync");
    }
    if (close(out) != 0 && copied && result.detail.empty()) {
        result = failure("close target");
    }
    close(in);
    if (!result.detail.empty()) {
        unlink(to.c_str());
        return result;
    }
    result.ok = true;
    return result;
}

#endif

}  // namespace media
