// Reads a whole speedcam file into the record list.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "area_filter.h"
#include "formats.h"
#include "records.h"

// Replaces the records with the accepted lines of the file that lie in the area, in file
// order. False when the file cannot be opened or read, or memory runs out; the list is then
// empty. An empty, undecodable or headers-only file is read successfully and gives no records.
bool read_speedcam_file(RecordList& records, const std::wstring& path, TextEncoding encoding,
                        InputFormat format, const AreaFilter& area = {});

// How much of a file is read at once, and where an overlong line is cut. The parser decides
// a line within its first few hundred characters (seven columns of at most 31 characters,
// then at most 127 of comment), so a cut beyond 2 KiB changes nothing but the memory a
// hostile file can claim. Tests use small blocks to cross block boundaries often.
struct ReaderLimits {
    std::size_t block_bytes = std::size_t{1} << 20;
    std::size_t max_line_bytes = std::size_t{64} << 10;
    // Threads that parse a file of more than one block: 0 for one a core (at most 4), 1 for
    // none besides the caller's.
    unsigned threads = 0;
};

// The same for a stream that is already open for reading; the caller closes it.
bool read_speedcam_stream(RecordList& records, std::FILE* file, TextEncoding encoding,
                          InputFormat format, const AreaFilter& area = {},
                          const ReaderLimits& limits = {});

// Receives the records of a file a batch at a time, in file order, on the reading thread;
// false stops the reading, which then fails. The batch is emptied after the call, so a sink
// that only looks at the records keeps no more than a few batches in memory.
using RecordBatchSink = std::function<bool(RecordList& batch)>;

// The same a batch of records at a time, for a caller that needs each record only once: the
// records are handed to `take` in file order and never held all at once. False when the file
// cannot be read, memory runs out or `take` refuses a batch.
bool read_speedcam_batches(std::FILE* file, TextEncoding encoding, InputFormat format,
                           const AreaFilter& area, const RecordBatchSink& take,
                           const ReaderLimits& limits = {});
