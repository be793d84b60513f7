#pragma once
// The file a writer produces: a POSIX descriptor owned for its lifetime, opened so that
// an existing file of that name is replaced, with whole writes and positioned writes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace nim_audio_file {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // How an existing file of the name is replaced.
    enum class Replace {
        DeleteFirst,  // remove it (or the link of that name), then create a new file
        Truncate,     // open it and cut it to length 0
    };

    // Creates the file for writing. Refuses (false) an empty name, a name that is a
    // folder, a device, a pipe or a socket, a folder that is missing or not writable,
    // and an existing file that cannot be removed. Nothing is left behind on failure.
    [[nodiscard]] bool Create(const std::string& path, Replace replace);

    // Appends bytes at the end of what was written. Returns how many reached the file:
    // fewer than `count` when the disk is full or the file too large.
    [[nodiscard]] size_t Append(const void* data, size_t count);
    // Writes bytes at an offset that was already written (headers); true when all went.
    [[nodiscard]] bool WriteAt(uint64_t offset, const void* data, size_t count);
    // Cuts the file back to `length` bytes.
    [[nodiscard]] bool Truncate(uint64_t length);
    // Pushes the file's data to the disk.
    [[nodiscard]] bool Sync();
    // Closes the descriptor; true when the system reported no error.
    bool Close();
    // Closes the file and removes it: for a file that was created but never became valid.
    void Discard();

    [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }
    [[nodiscard]] uint64_t Length() const { return length_; }
    [[nodiscard]] const std::string& Path() const { return path_; }
    // The system's error number of the last call that failed (0 before any failure).
    [[nodiscard]] int LastError() const { return error_; }

private:
    // Keeps the reason of a failure; always false, for returning.
    bool Failed(int error);

    int fd_ = -1;
    int error_ = 0;
    uint64_t length_ = 0;
    std::string path_;
};

}  // namespace nim_audio_file
