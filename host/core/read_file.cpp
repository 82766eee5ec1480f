#include "host/core/read_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "host/core/input_error.h"

namespace qhost {
namespace {

class FileDescriptor
{
public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor()
  {
    if (fd_ >= 0)
      ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

private:
  int fd_;
};

} // namespace

const char* FileKindName(mode_t mode)
{
  if (S_ISDIR(mode))
    return "a directory";
  if (S_ISFIFO(mode))
    return "a FIFO";
  if (S_ISSOCK(mode))
    return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode))
    return "a device";
  return "not a regular file";
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::uint64_t maxBytes)
{
  // O_NONBLOCK: opening a FIFO must not wait for a writer before it is refused.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.Get() < 0)
  {
    const int code = errno;
    throw InputError(path + ": cannot open: " + std::strerror(code));
  }
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0)
    throw std::runtime_error(path + ": cannot inspect: " + std::strerror(errno));
  if (!S_ISREG(info.st_mode))
    throw InputError(path + ": is " + FileKindName(info.st_mode) + "; only regular files are read");
  const auto size = static_cast<std::uint64_t>(info.st_size);
  if (size > maxBytes)
    throw InputError(path + ": file of " + std::to_string(size) + " bytes is larger than the limit of " +
                     std::to_string(maxBytes) + " bytes");
  std::vector<std::uint8_t> bytes(size);
  std::size_t done = 0;
  while (done < size)
  {
    const ssize_t n = ::read(file.Get(), bytes.data() + done, size - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      throw std::runtime_error(path + ": cannot read: " + std::strerror(errno));
    if (n == 0)
      throw std::runtime_error(path + ": file shrank while being read");
    done += static_cast<std::size_t>(n);
  }
  return bytes;
}

} // namespace qhost
