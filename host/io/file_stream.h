// Streams bytes to an open file the fastest way the file system allows.
//
// Bytes are gathered in an aligned staging buffer and written a buffer at a
// time. Once a file outgrows the first buffer, the descriptor is switched to
// direct I/O where the file system supports it: whole buffers then go to the
// disk without being copied into the page cache, which for files of hundreds
// of megabytes is the slowest part of a buffered write. Where direct I/O is
// refused, the file is written through the page cache and each buffer's
// writeback is started at once, so the final flush has little left to wait
// for. The bytes of the file are the same either way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace qhost {

class FileStream
{
public:
  explicit FileStream(int fd);
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  // False, with errno set, when the file could not be written.
  bool Append(std::span<const std::uint8_t> bytes);
  // Writes whatever is staged and leaves the descriptor as it was opened;
  // the caller still flushes it to disk.
  bool Finish();

private:
  // Writes the full staging buffer, directly when the file allows it.
  bool WriteStaged();
  // Writes the first `size` staged bytes directly and drops them from the
  // stage; where direct I/O is refused, switches it off and keeps the rest.
  bool WriteStagedDirect(std::size_t size);
  bool WriteStagedBuffered();
  void StartWriteback();

  struct FreeAligned
  {
    void operator()(std::uint8_t* p) const;
  };

  int fd_;
  std::unique_ptr<std::uint8_t, FreeAligned> staging_;
  std::size_t staged_ = 0;
  bool direct_ = false;
  bool triedDirect_ = false;
  std::uint64_t written_ = 0;          // bytes written to the file so far
  std::uint64_t startedWriteback_ = 0; // of those, handed to the disk
};

} // namespace qhost
