// The byte streams behind the blob and file classes, and the script methods
// they share (readn, writen, readblob, writeblob, seek, tell, len, eos,
// flush), registered once on a common base class.
#ifndef ACORN_STDLIB_STREAM_H
#define ACORN_STDLIB_STREAM_H

#include <cstddef>
#include <cstdint>

#include "squirrel.h"

namespace acorn::stdlib {

enum class SeekOrigin { Begin, Current, End };

class Stream {
public:
    virtual ~Stream() = default;
    // Both return the number of bytes moved, which is short at the end of
    // the data or on an error.
    virtual std::size_t read(void *buffer, std::size_t size) = 0;
    virtual std::size_t write(const void *buffer, std::size_t size) = 0;
    virtual bool seek(std::int64_t offset, SeekOrigin origin) = 0;
    virtual std::int64_t tell() = 0;
    virtual std::int64_t length() = 0;
    virtual bool at_end() = 0;
    virtual bool flush() = 0;
    // False once the stream can no longer be used (a closed file).
    virtual bool is_open() const { return true; }
};

// The instances of every class derived from the stream base carry this tag
// on the base, so a stream method accepts a blob and a file alike.
extern const char kStreamTypeTag[];

// Pushes the stream base class, creating and registering it on first use.
SQRESULT push_stream_base_class(HSQUIRRELVM v);

// Reads the stream of the instance at idx, raising a script error when it is
// not a usable stream.
SQRESULT get_stream(HSQUIRRELVM v, SQInteger idx, Stream *&stream);

}  // namespace acorn::stdlib

#endif
