#include "host/io/atomic_file.h"

#include <array>
#include <atomic>
#include <mutex>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "host/core/read_file.h"

namespace qhost {
namespace {

// ---- Temporaries a signal must remove ----
// The handler may only use async-signal-safe calls, so paths live in fixed
// buffers claimed with atomics rather than in a container.
// Threads writing at once (a server's builds and downloads) claim and free
// slots under a mutex; a slot is marked used only once its path is complete,
// and unmarked before the path is cleared, so the handler never sees half a
// path.
struct TemporarySlot
{
  std::atomic<bool> used{false};
  char path[4096] = {};
};
std::array<TemporarySlot, 16> g_temporaries;
std::mutex g_temporariesMutex;

int RegisterTemporary(const std::string& path)
{
  if (path.size() >= sizeof(TemporarySlot::path))
    return -1;
  std::lock_guard lock(g_temporariesMutex);
  for (std::size_t i = 0; i < g_temporaries.size(); ++i)
  {
    if (g_temporaries[i].used.load())
      continue;
    std::memcpy(g_temporaries[i].path, path.c_str(), path.size() + 1);
    g_temporaries[i].used.store(true);
    return static_cast<int>(i);
  }
  return -1; // not removed on a signal, but still removed on every other path
}

void ForgetTemporary(const std::string& path)
{
  std::lock_guard lock(g_temporariesMutex);
  for (TemporarySlot& slot : g_temporaries)
    if (slot.used.load() && path == slot.path)
    {
      slot.used.store(false);
      slot.path[0] = '\0';
    }
}

void RemoveTemporary(const std::string& path)
{
  ::unlink(path.c_str());
  ForgetTemporary(path);
}

extern "C" void OnTerminatingSignal(int signal)
{
  for (TemporarySlot& slot : g_temporaries)
    if (slot.used.load() && slot.path[0])
      ::unlink(slot.path);
  const char* name = signal == SIGINT ? "interrupted" : signal == SIGTERM ? "terminated" : "hung up";
  char line[96];
  const int length = std::snprintf(line, sizeof(line), "quorvane: %s; unfinished outputs were removed\n", name);
  if (length > 0)
    (void)!::write(STDERR_FILENO, line, static_cast<std::size_t>(length));
  ::_exit(128 + signal);
}

// ---- Paths ----
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

std::string SystemError(const std::string& path, const char* what, int code)
{
  return path + ": " + what + ": " + std::strerror(code);
}

// What an output path stands for: the file to replace (a symbolic link's
// target) and, when it exists, its status.
struct Target
{
  std::string path;
  bool exists = false;
  struct stat info {};
};

bool ResolveTarget(const std::string& path, Target& target, std::string& error)
{
  target.path = path;
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0)
  {
    if (errno == ENOENT)
      return true;
    error = SystemError(path, "cannot inspect", errno);
    return false;
  }
  if (S_ISLNK(link.st_mode))
  {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
    {
      error = path + ": is a symbolic link to a missing file; write to the file itself";
      return false;
    }
    target.path = resolved;
    std::free(resolved);
  }
  if (::stat(target.path.c_str(), &target.info) != 0)
  {
    error = SystemError(path, "cannot inspect", errno);
    return false;
  }
  target.exists = true;
  if (!S_ISREG(target.info.st_mode))
  {
    error = path + ": is " + FileKindName(target.info.st_mode) + "; only regular files are replaced";
    return false;
  }
  if (target.info.st_nlink > 1)
  {
    error = path + ": has " + std::to_string(target.info.st_nlink) +
            " hard links; replacing it would part them, so it is left alone";
    return false;
  }
  return true;
}

// The name of every temporary of path without its random suffix.
std::string TemporaryBase(const std::string& path)
{
  // Room for the suffix within the 255-byte name limit of common file systems.
  constexpr std::size_t kMaxNamePart = 200;
  return DirectoryOf(path) + "/." + FileNameOf(path).substr(0, kMaxNamePart) + ".tmp";
}

// A new, empty, hidden file beside the target. Created with mode 0666 so the
// umask applies as to any new file; an existing target's mode is copied later.
int CreateTemporary(const Target& target, std::string& temporary)
{
  static thread_local std::mt19937_64 random{std::random_device{}()};
  const std::string base = TemporaryBase(target.path);
  for (int attempt = 0; attempt < 100; ++attempt)
  {
    char suffix[24];
    std::snprintf(suffix, sizeof(suffix), "%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    temporary = base + suffix;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST)
      return fd;
  }
  errno = EEXIST;
  return -1;
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

bool Rename(const std::string& temporary, const std::string& target, const std::string& shownPath, std::string& error)
{
  if (::rename(temporary.c_str(), target.c_str()) != 0)
  {
    error = SystemError(shownPath, "cannot replace", errno);
    RemoveTemporary(temporary);
    return false;
  }
  ForgetTemporary(temporary);
  SyncDirectory(DirectoryOf(target));
  return true;
}

OutputGroup* g_openGroup = nullptr;

} // namespace

AtomicFileWriter::~AtomicFileWriter() { Abandon(); }

void AtomicFileWriter::Abandon()
{
  if (fd_ < 0)
    return;
  ::close(fd_);
  RemoveTemporary(temporary_);
  fd_ = -1;
}

bool AtomicFileWriter::Fail(const char* what, std::string& error)
{
  error = SystemError(path_, what, errno);
  Abandon();
  return false;
}

bool AtomicFileWriter::Open(const std::string& path, std::string& error)
{
  Abandon();
  if (path.empty() || path.back() == '/')
  {
    error = "'" + path + "': not a file path";
    return false;
  }
  Target target;
  if (!ResolveTarget(path, target, error))
    return false;
  path_ = path;
  target_ = target.path;
  fd_ = CreateTemporary(target, temporary_);
  if (fd_ < 0)
  {
    error = SystemError(path, "cannot create temporary file", errno);
    return false;
  }
  RegisterTemporary(temporary_);
  if (target.exists)
  {
    // Ownership can only be given away by a privileged user; the mode is kept in any case.
    (void)!::fchown(fd_, target.info.st_uid, target.info.st_gid);
    if (::fchmod(fd_, target.info.st_mode & 07777) != 0)
      return Fail("cannot set permissions", error);
  }
  return true;
}

bool AtomicFileWriter::Append(std::span<const std::uint8_t> bytes, std::string& error)
{
  if (fd_ < 0)
  {
    error = path_ + ": cannot write: the file is not open";
    return false;
  }
  if (!WriteAll(fd_, bytes))
    return Fail("cannot write", error);
  return true;
}

bool AtomicFileWriter::Append(std::string_view text, std::string& error)
{
  return Append(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), error);
}

bool AtomicFileWriter::Commit(std::string& error)
{
  if (fd_ < 0)
  {
    error = path_ + ": cannot replace: the file is not open";
    return false;
  }
  if (::fsync(fd_) != 0)
    return Fail("cannot flush to disk", error);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0)
  {
    error = SystemError(path_, "cannot close", errno);
    RemoveTemporary(temporary_);
    return false;
  }
  if (g_openGroup)
  {
    g_openGroup->prepared_.push_back({temporary_, target_});
    return true;
  }
  return Rename(temporary_, target_, path_, error);
}

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error)
{
  AtomicFileWriter writer;
  return writer.Open(path, error) && writer.Append(bytes, error) && writer.Commit(error);
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error)
{
  return WriteFileAtomically(
    path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), error);
}

OutputGroup::OutputGroup()
{
  if (g_openGroup)
    throw std::logic_error("output groups do not nest");
  g_openGroup = this;
}

OutputGroup::~OutputGroup()
{
  for (const Prepared& output : prepared_)
    RemoveTemporary(output.temporary);
  if (g_openGroup == this)
    g_openGroup = nullptr;
}

void OutputGroup::Commit()
{
  g_openGroup = nullptr;
  std::vector<Prepared> outputs = std::move(prepared_);
  prepared_.clear();
  for (std::size_t i = 0; i < outputs.size(); ++i)
  {
    std::string error;
    if (!Rename(outputs[i].temporary, outputs[i].target, outputs[i].target, error))
    {
      for (std::size_t k = i + 1; k < outputs.size(); ++k)
        RemoveTemporary(outputs[k].temporary);
      throw std::runtime_error(error);
    }
  }
}

void RemoveTemporariesOnSignal()
{
  struct sigaction action {};
  action.sa_handler = OnTerminatingSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    ::sigaction(signal, &action, nullptr);
}

void RemoveLeftoverTemporaries(const std::string& path)
{
  const std::string base = TemporaryBase(path);
  const std::filesystem::path folder = std::filesystem::path(base).parent_path();
  const std::string prefix = std::filesystem::path(base).filename().string();
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
  {
    const std::string name = entry.path().filename().string();
    if (name.size() == prefix.size() + 12 && name.compare(0, prefix.size(), prefix) == 0 && entry.is_regular_file(ec))
      std::filesystem::remove(entry.path(), ec);
  }
}

} // namespace qhost
