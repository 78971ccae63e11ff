#include "storage/descriptor_io_posix.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "storage/system_error_posix.h"

namespace storage {

namespace fs = std::filesystem;

std::size_t readInto(int fd, std::string& content, std::size_t done, const fs::path& path) {
    while (done < content.size()) {
        const ssize_t got = ::read(fd, content.data() + done, content.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw errnoError(errno, Action::kOpen, path);
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void writeAll(int fd, std::string_view bytes, const fs::path& path) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) throw errnoError(errno, Action::kSave, path);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::size_t copyInKernel(int from, loff_t* in, int to, loff_t* out, std::size_t size,
                         bool& unsupported, const fs::path& path) {
    std::size_t done = 0;
    while (done < size) {
        const std::size_t chunk = std::min<std::size_t>(size - done, std::size_t{1} << 30);
        const ssize_t copied = ::copy_file_range(from, in, to, out, chunk, 0);
        if (copied == 0) break;
        if (copied > 0) {
            done += static_cast<std::size_t>(copied);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            throw errnoError(errno, Action::kSave, path);
        }
        unsupported = true;
        break;
    }
    return done;
}

void copyContent(int from, int to, const fs::path& path) {
    loff_t in = 0;
    loff_t out = 0;
    bool unsupported = false;
    copyInKernel(from, &in, to, &out, std::numeric_limits<ssize_t>::max(), unsupported, path);
    if (!unsupported) return;
    std::string buffer(1U << 20, '\0');
    for (;;) {
        const ssize_t got = ::pread(from, buffer.data(), buffer.size(), in);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw errnoError(errno, Action::kSave, path);
        if (got == 0) return;
        in += got;
        for (std::string_view rest(buffer.data(), static_cast<std::size_t>(got)); !rest.empty();) {
            const ssize_t put = ::pwrite(to, rest.data(), rest.size(), out);
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) throw errnoError(errno, Action::kSave, path);
            rest.remove_prefix(static_cast<std::size_t>(put));
            out += put;
        }
    }
}

}  // namespace storage
