// Streams a large file made of many similar items (lines of text, binary
// records): chunks of items are formatted on every core while the finished
// chunks are appended to the file in order. Only a few chunks live in memory
// at a time, and the bytes do not depend on the number of threads.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

#include <tbb/parallel_pipeline.h>

#include "host/io/atomic_file.h"

namespace qhost {

// Items per chunk: large enough that a chunk is worth a task, small enough
// that a handful of chunks stay in the cache-friendly megabyte range.
constexpr std::size_t kItemsPerChunk = 16384;

// The bytes of one chunk. Formatting reserves room for the most a record can
// take, writes through the pointer and commits where it ended, so there is no
// size check per character; the capacity is kept when the buffer is reused.
class ChunkBuffer
{
public:
  void Clear() { size_ = 0; }

  // Room for at least `count` more bytes at the end.
  char* Reserve(std::size_t count)
  {
    if (capacity_ - size_ < count)
    {
      const std::size_t capacity = std::max(2 * capacity_, size_ + count);
      std::unique_ptr<char[]> grown = std::make_unique_for_overwrite<char[]>(capacity);
      if (size_ > 0)
        std::memcpy(grown.get(), data_.get(), size_);
      data_ = std::move(grown);
      capacity_ = capacity;
    }
    return data_.get() + size_;
  }
  // Keeps what was written from Reserve's pointer up to `end`.
  void Commit(const char* end) { size_ = static_cast<std::size_t>(end - data_.get()); }

  void Append(std::string_view bytes)
  {
    char* out = Reserve(bytes.size());
    std::memcpy(out, bytes.data(), bytes.size());
    Commit(out + bytes.size());
  }

  std::string_view View() const { return {data_.get(), size_}; }

private:
  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// Calls format(text, begin, end) to append items [begin, end) to text, for
// consecutive ranges of at most kItemsPerChunk items covering [0, count), and
// appends each chunk's text to writer in order. The first failed write stops
// the pipeline, and its OutputError comes out of this call.
struct OutputChunk
{
  std::size_t begin = 0;
  std::size_t buffer = 0;
};

template <typename Format>
void AppendInChunks(AtomicFileWriter& writer, std::size_t count, const Format& format)
{
  // Chunk buffers are reused round-robin: with at most kTokens chunks in
  // flight and the output stage in order, a buffer is free again when its
  // turn comes round, and its capacity is kept.
  constexpr std::size_t kTokens = 16;
  std::array<ChunkBuffer, kTokens> buffers;
  std::size_t nextItem = 0;
  std::size_t nextBuffer = 0;
  const auto split = [&](tbb::flow_control& control) {
    if (nextItem >= count)
    {
      control.stop();
      return OutputChunk{};
    }
    const OutputChunk chunk{nextItem, nextBuffer};
    nextItem += kItemsPerChunk;
    nextBuffer = (nextBuffer + 1) % kTokens;
    return chunk;
  };
  const auto fill = [&](OutputChunk chunk) {
    ChunkBuffer& text = buffers[chunk.buffer];
    text.Clear();
    format(text, chunk.begin, std::min(count, chunk.begin + kItemsPerChunk));
    return chunk;
  };
  const auto append = [&](OutputChunk chunk) { writer.Append(buffers[chunk.buffer].View()); };
  tbb::parallel_pipeline(kTokens, tbb::make_filter<void, OutputChunk>(tbb::filter_mode::serial_in_order, split) &
                                    tbb::make_filter<OutputChunk, OutputChunk>(tbb::filter_mode::parallel, fill) &
                                    tbb::make_filter<OutputChunk, void>(tbb::filter_mode::serial_in_order, append));
}

} // namespace qhost
