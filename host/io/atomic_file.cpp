#include "host/io/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qhost {
namespace {

std::string DirectoryOf(const std::string& path)
{
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path)
{
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string SystemError(const std::string& path, const char* what)
{
  return path + ": " + what + ": " + std::strerror(errno);
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes)
{
  std::size_t done = 0;
  while (done < bytes.size())
  {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
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

// Makes the rename itself durable; failure here does not undo a completed write.
void SyncDirectory(const std::string& directory)
{
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0)
  {
    ::fsync(fd);
    ::close(fd);
  }
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error)
{
  if (path.empty() || path.back() == '/')
  {
    error = "'" + path + "': not a file path";
    return false;
  }
  const std::string directory = DirectoryOf(path);
  // Hidden name in the same folder, so the final rename never crosses file systems.
  std::string temporary = directory + "/." + FileNameOf(path) + ".tmp.XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0)
  {
    error = SystemError(path, "cannot create temporary file");
    return false;
  }

  const char* failure = nullptr;
  // mkstemp creates owner-only files; outputs are meant to be shared like any other file.
  if (::fchmod(fd, 0644) != 0)
    failure = "cannot set permissions";
  else if (!WriteAll(fd, bytes))
    failure = "cannot write";
  else if (::fsync(fd) != 0)
    failure = "cannot flush to disk";
  if (failure)
  {
    error = SystemError(path, failure);
    ::close(fd);
    ::unlink(temporary.c_str());
    return false;
  }
  if (::close(fd) != 0)
  {
    error = SystemError(path, "cannot close");
    ::unlink(temporary.c_str());
    return false;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0)
  {
    error = SystemError(path, "cannot replace");
    ::unlink(temporary.c_str());
    return false;
  }
  SyncDirectory(directory);
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error)
{
  return WriteFileAtomically(
    path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), error);
}

} // namespace qhost
