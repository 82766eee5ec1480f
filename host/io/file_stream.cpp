#include "host/io/file_stream.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace qhost {
namespace {

// Staging buffer: large enough that direct writes keep the disk busy,
// aligned for the strictest logical block size in use (4 KiB).
constexpr std::size_t kStagingBytes = 8u << 20;
constexpr std::size_t kDirectAlignment = 4096;

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t size, std::size_t& done)
{
  done = 0;
  while (done < size)
  {
    const ssize_t n = ::write(fd, bytes + done, size - done);
    if (n < 0)
    {
      if (errno == EINTR)
        continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool SetDirect(int fd, bool on)
{
#ifdef O_DIRECT
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, on ? flags | O_DIRECT : flags & ~O_DIRECT) == 0;
#else
  (void)fd;
  return !on;
#endif
}

} // namespace

void FileStream::FreeAligned::operator()(std::uint8_t* p) const { std::free(p); }

FileStream::FileStream(int fd) : fd_(fd) {}

bool FileStream::Append(std::span<const std::uint8_t> bytes)
{
  if (!staging_)
  {
    staging_.reset(static_cast<std::uint8_t*>(std::aligned_alloc(kDirectAlignment, kStagingBytes)));
    if (!staging_)
    {
      errno = ENOMEM;
      return false;
    }
  }
  while (!bytes.empty())
  {
    const std::size_t take = std::min(bytes.size(), kStagingBytes - staged_);
    std::memcpy(staging_.get() + staged_, bytes.data(), take);
    staged_ += take;
    bytes = bytes.subspan(take);
    if (staged_ == kStagingBytes && !WriteStaged())
      return false;
  }
  return true;
}

bool FileStream::WriteStaged()
{
  if (!triedDirect_)
  {
    triedDirect_ = true;
    direct_ = SetDirect(fd_, true);
  }
  if (direct_ && !WriteStagedDirect(staged_))
    return false;
  return staged_ == 0 || WriteStagedBuffered();
}

bool FileStream::WriteStagedDirect(std::size_t size)
{
  std::size_t done = 0;
  const bool wrote = WriteAll(fd_, staging_.get(), size, done);
  // Refused by the file system or the device (alignment, or no direct I/O
  // on this file after all): what is left goes through the page cache.
  if (!wrote && errno != EINVAL)
    return false;
  written_ += done;
  std::memmove(staging_.get(), staging_.get() + done, staged_ - done);
  staged_ -= done;
  if (wrote)
    return true;
  direct_ = false;
  return SetDirect(fd_, false);
}

bool FileStream::WriteStagedBuffered()
{
  std::size_t done = 0;
  if (!WriteAll(fd_, staging_.get(), staged_, done))
    return false;
  written_ += staged_;
  staged_ = 0;
  StartWriteback();
  return true;
}

void FileStream::StartWriteback()
{
  // Failures surface in the caller's flush; this only starts the writing.
#ifdef __linux__
  (void)::sync_file_range(fd_, static_cast<off_t>(startedWriteback_), static_cast<off_t>(written_ - startedWriteback_),
                          SYNC_FILE_RANGE_WRITE);
#endif
  startedWriteback_ = written_;
}

bool FileStream::Finish()
{
  // Whole blocks may still go direct; the tail, of any length, goes through
  // the page cache, and the descriptor is left as it was opened.
  if (direct_)
  {
    if (!WriteStagedDirect(staged_ / kDirectAlignment * kDirectAlignment))
      return false;
    if (direct_)
    {
      direct_ = false;
      if (!SetDirect(fd_, false))
        return false;
    }
  }
  return staged_ == 0 || WriteStagedBuffered();
}

} // namespace qhost
