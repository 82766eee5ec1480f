// Streams a large file made of many similar items (lines of text, binary
// records): chunks of items are formatted on every core while the finished
// chunks are appended to the file in order. Only a few chunks live in memory
// at a time, and the bytes do not depend on the number of threads.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

#include <tbb/parallel_pipeline.h>

#include "host/io/atomic_file.h"

namespace qhost {

// Items per chunk: large enough that a chunk is worth a task, small enough
// that a handful of chunks stay in the cache-friendly megabyte range.
constexpr std::size_t kItemsPerChunk = 16384;

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
  std::array<std::string, kTokens> buffers;
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
    std::string& text = buffers[chunk.buffer];
    text.clear();
    format(text, chunk.begin, std::min(count, chunk.begin + kItemsPerChunk));
    return chunk;
  };
  const auto append = [&](OutputChunk chunk) { writer.Append(buffers[chunk.buffer]); };
  tbb::parallel_pipeline(kTokens, tbb::make_filter<void, OutputChunk>(tbb::filter_mode::serial_in_order, split) &
                                    tbb::make_filter<OutputChunk, OutputChunk>(tbb::filter_mode::parallel, fill) &
                                    tbb::make_filter<OutputChunk, void>(tbb::filter_mode::serial_in_order, append));
}

} // namespace qhost
