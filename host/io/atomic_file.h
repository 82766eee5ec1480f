// Whole-file writes that either replace the target completely or leave it
// untouched, so a crash, a signal or a full disk never leaves a half-written
// output, and a group of outputs that either all appear or none does.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/core/output_error.h"
#include "host/io/file_stream.h"

namespace qhost {

// Streams a file into a temporary next to its target and renames it over the
// target on Commit, so large outputs are written in pieces without holding
// the whole file in memory. Destroying the writer before Commit, or any
// failed call, removes the temporary and leaves the target untouched. The
// target rules, permissions and OutputGroup behaviour are those of
// WriteFileAtomically below.
class AtomicFileWriter
{
public:
  AtomicFileWriter() = default;
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
  ~AtomicFileWriter();

  // Each throws OutputError naming the path and what failed.
  void Open(const std::string& path);
  void Append(std::span<const std::uint8_t> bytes);
  void Append(std::string_view text);
  // Flushes to disk and replaces the target.
  void Commit();

private:
  void Abandon();
  [[noreturn]] void Fail(const char* what);

  std::string path_;   // as the caller named it, for messages
  std::string target_; // the file replaced: a symbolic link's target
  std::string temporary_;
  int fd_ = -1;
  std::optional<FileStream> stream_;
};

// Writes bytes to a temporary file next to path, flushes it to disk and
// renames it over path. Only a regular file is replaced: a symbolic link is
// followed and the file it names is replaced; a directory, device, FIFO or
// socket, and a file with several hard links, are refused. An existing file
// keeps its permissions and (where allowed) its owner; a new one gets the
// usual mode under the umask. On failure the temporary is removed, an
// existing file keeps its old content, and OutputError names the file and the
// cause. Inside an OutputGroup the rename waits for the group's Commit.
void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// Same, for text.
void WriteFileAtomically(const std::string& path, std::string_view text);

// While one exists, WriteFileAtomically only prepares each output as a
// temporary file; Commit renames them all into place, after every one of them
// was made. Destroyed without Commit (a later step failed), it removes the
// temporaries and changes nothing. One group at a time, on one thread.
class OutputGroup
{
public:
  OutputGroup();
  ~OutputGroup();
  OutputGroup(const OutputGroup&) = delete;
  OutputGroup& operator=(const OutputGroup&) = delete;

  // Renames every prepared output into place; throws OutputError naming the
  // output when a rename fails (those before it stay replaced).
  void Commit();

private:
  struct Prepared
  {
    std::string temporary;
    std::string target;
  };
  friend class AtomicFileWriter;
  std::vector<Prepared> prepared_;
};

// Removes the temporaries a writer of path left behind when it was killed
// before it could (SIGKILL, a power cut). Only for a path no other process is
// writing at the same time.
void RemoveLeftoverTemporaries(const std::string& path);

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary files of writes in
// progress (and of an uncommitted OutputGroup), print one line naming the
// signal and exit with 128 + its number. For the application's main.
void RemoveTemporariesOnSignal();

} // namespace qhost
