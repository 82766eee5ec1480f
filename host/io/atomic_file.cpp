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

#include "host/core/output_error.h"
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

OutputError SystemError(const std::string& path, const char* what, int code)
{
  return OutputError(path, std::string(what) + ": " + std::strerror(code));
}

// What an output path stands for: the file to replace (a symbolic link's
// target) and, when it exists, its status.
struct Target
{
  std::string path;
  bool exists = false;
  struct stat info {};
};

Target ResolveTarget(const std::string& path)
{
  Target target;
  target.path = path;
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0)
  {
    if (errno == ENOENT)
      return target;
    throw SystemError(path, "cannot inspect", errno);
  }
  if (S_ISLNK(link.st_mode))
  {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
      throw OutputError(path, "is a symbolic link to a missing file; write to the file itself");
    target.path = resolved;
    std::free(resolved);
  }
  if (::stat(target.path.c_str(), &target.info) != 0)
    throw SystemError(path, "cannot inspect", errno);
  target.exists = true;
  if (!S_ISREG(target.info.st_mode))
    throw OutputError(path, std::string("is ") + FileKindName(target.info.st_mode) +
                              "; only regular files are replaced");
  if (target.info.st_nlink > 1)
    throw OutputError(path, "has " + std::to_string(target.info.st_nlink) +
                              " hard links; replacing it would part them, so it is left alone");
  return target;
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

// Puts temporary in place of target: 0, or the errno of the failed rename,
// after which the temporary is gone too.
int MoveIntoPlace(const std::string& temporary, const std::string& target)
{
  if (::rename(temporary.c_str(), target.c_str()) != 0)
  {
    const int code = errno;
    RemoveTemporary(temporary);
    return code;
  }
  ForgetTemporary(temporary);
  SyncDirectory(DirectoryOf(target));
  return 0;
}

OutputGroup* g_openGroup = nullptr;

} // namespace

AtomicFileWriter::~AtomicFileWriter() { Abandon(); }

void AtomicFileWriter::Abandon()
{
  if (fd_ < 0)
    return;
  stream_.reset();
  ::close(fd_);
  RemoveTemporary(temporary_);
  fd_ = -1;
}

void AtomicFileWriter::Fail(const char* what)
{
  const int code = errno;
  Abandon();
  throw SystemError(path_, what, code);
}

void AtomicFileWriter::Open(const std::string& path)
{
  Abandon();
  if (path.empty() || path.back() == '/')
    throw OutputError(path, "not a file path", "'" + path + "': not a file path");
  const Target target = ResolveTarget(path);
  path_ = path;
  target_ = target.path;
  fd_ = CreateTemporary(target, temporary_);
  if (fd_ < 0)
    throw SystemError(path, "cannot create temporary file", errno);
  stream_.emplace(fd_);
  RegisterTemporary(temporary_);
  if (target.exists)
  {
    // Ownership can only be given away by a privileged user; the mode is kept in any case.
    (void)!::fchown(fd_, target.info.st_uid, target.info.st_gid);
    if (::fchmod(fd_, target.info.st_mode & 07777) != 0)
      Fail("cannot set permissions");
  }
}

void AtomicFileWriter::Append(std::span<const std::uint8_t> bytes)
{
  if (fd_ < 0)
    throw OutputError(path_, "cannot write: the file is not open");
  if (!stream_->Append(bytes))
    Fail("cannot write");
}

void AtomicFileWriter::Append(std::string_view text)
{
  Append(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void AtomicFileWriter::Commit()
{
  if (fd_ < 0)
    throw OutputError(path_, "cannot replace: the file is not open");
  if (!stream_->Finish())
    Fail("cannot write");
  if (::fsync(fd_) != 0)
    Fail("cannot flush to disk");
  const int fd = fd_;
  fd_ = -1;
  stream_.reset();
  if (::close(fd) != 0)
  {
    const int code = errno;
    RemoveTemporary(temporary_);
    throw SystemError(path_, "cannot close", code);
  }
  if (g_openGroup)
  {
    g_openGroup->prepared_.push_back({temporary_, target_});
    return;
  }
  if (const int code = MoveIntoPlace(temporary_, target_))
    throw SystemError(path_, "cannot replace", code);
}

void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes)
{
  AtomicFileWriter writer;
  writer.Open(path);
  writer.Append(bytes);
  writer.Commit();
}

void WriteFileAtomically(const std::string& path, std::string_view text)
{
  WriteFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
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
    if (const int code = MoveIntoPlace(outputs[i].temporary, outputs[i].target))
    {
      // The outputs after the one that failed are never put in place.
      for (std::size_t k = i + 1; k < outputs.size(); ++k)
        RemoveTemporary(outputs[k].temporary);
      throw SystemError(outputs[i].target, "cannot replace", code);
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
