// Reads a whole speedcam file into the record list.
#pragma once

#include <cstdio>
#include <functional>
#include <span>
#include <string>

#include "area_filter.h"
#include "formats.h"
#include "records.h"

// Replaces the records with the accepted lines of the file that lie in the area, in file
// order. False when the file cannot be opened or read, or memory runs out; the list is then
// empty. An empty, undecodable or headers-only file is read successfully and gives no records.
bool read_speedcam_file(RecordList& records, const std::wstring& path, TextEncoding encoding,
                        InputFormat format, const AreaFilter& area = {});

// What reading several files into one list found.
struct FilesRead {
    bool read = true;           // every file was read
    std::size_t failed = 0;     // when not, the first file that could not be
    std::uint64_t repeats = 0;  // objects left out as repeats of one kept before
};

// Replaces the records with those of every file, in the order given, as one list; each file's
// rows are read in the shape of its own. With `drop_repeats` an object of the same type as one
// kept before it, in the same file or an earlier one, and within 10 m of it is left out. When
// a file cannot be read, or memory runs out, the list is empty.
FilesRead read_speedcam_files(RecordList& records, std::span<const std::wstring> paths,
                              TextEncoding encoding, InputFormat format, const AreaFilter& area,
                              bool drop_repeats);

// About how many objects the file of this stream holds, from its size (a row takes some 40
// bytes), to make room for them in advance; 0 when the size cannot be told. The stream is left
// at its start.
std::uint64_t likely_objects(std::FILE* file);

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

// Work on a batch that needs no other: called on the thread that parsed the batch, for several
// batches at once, before the batch is handed to the sink. It may throw std::bad_alloc.
using RecordBatchPrepare = std::function<void(RecordList& batch)>;

// The same a batch of records at a time, for a caller that needs each record only once: the
// records are handed to `take` in file order and never held all at once. False when the file
// cannot be read, memory runs out or `take` refuses a batch.
bool read_speedcam_batches(std::FILE* file, TextEncoding encoding, InputFormat format,
                           const AreaFilter& area, const RecordBatchSink& take,
                           const ReaderLimits& limits = {},
                           const RecordBatchPrepare& prepare = nullptr);
