#include "output_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace nim_audio_file {

OutputFile::~OutputFile()
{
    Close();
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), length_(std::exchange(other.length_, 0)),
      path_(std::move(other.path_))
{
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        length_ = std::exchange(other.length_, 0);
        path_ = std::move(other.path_);
    }
    return *this;
}

bool OutputFile::Failed(int error)
{
    error_ = error;
    return false;
}

bool OutputFile::Create(const std::string& path, Replace replace)
{
    Close();
    error_ = 0;
    if (path.empty()) return Failed(EINVAL);

    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        // Only a file (or a link of that name) is ever replaced: a folder, a device or a
        // pipe of that name is left alone and the recording cannot go there.
        if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return Failed(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        if (replace == Replace::DeleteFirst && unlink(path.c_str()) != 0) return Failed(errno);
        if (S_ISLNK(st.st_mode) && replace == Replace::Truncate) {
            struct stat target {};
            if (stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) return Failed(EINVAL);
        }
    }

    int fd;
    do {
        fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return Failed(errno);
    fd_ = fd;
    length_ = 0;
    path_ = path;
    return true;
}

size_t OutputFile::Append(const void* data, size_t count)
{
    if (fd_ < 0) return 0;
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < count) {
        const ssize_t n = pwrite(fd_, bytes + done, count - done, static_cast<off_t>(length_ + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Failed(n < 0 ? errno : ENOSPC);
            break;
        }
        done += static_cast<size_t>(n);
    }
    length_ += done;
    return done;
}

bool OutputFile::WriteAt(uint64_t offset, const void* data, size_t count)
{
    if (fd_ < 0) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < count) {
        const ssize_t n = pwrite(fd_, bytes + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Failed(n < 0 ? errno : ENOSPC);
        done += static_cast<size_t>(n);
    }
    if (offset + count > length_) length_ = offset + count;
    return true;
}

bool OutputFile::Truncate(uint64_t length)
{
    if (fd_ < 0) return false;
    if (ftruncate(fd_, static_cast<off_t>(length)) != 0) return Failed(errno);
    length_ = length;
    return true;
}

bool OutputFile::Sync()
{
    if (fd_ < 0) return false;
    return fdatasync(fd_) == 0 || Failed(errno);
}

bool OutputFile::Close()
{
    if (fd_ < 0) return true;
    const int fd = std::exchange(fd_, -1);
    // A close interrupted by a signal has still released the descriptor on Linux.
    return close(fd) == 0 || errno == EINTR || Failed(errno);
}

void OutputFile::Discard()
{
    const bool wasOpen = IsOpen();
    Close();
    if (wasOpen && !path_.empty()) unlink(path_.c_str());
    path_.clear();
    length_ = 0;
}

}  // namespace nim_audio_file
