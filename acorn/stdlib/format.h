// printf-style formatting for format() and sqstd_format, kept apart from the
// VM stack so that it can be driven by any source of arguments.
#ifndef ACORN_STDLIB_FORMAT_H
#define ACORN_STDLIB_FORMAT_H

#include <cstddef>
#include <string>
#include <string_view>

#include "squirrel.h"

namespace acorn::stdlib {

// The values after the format string. Each getter returns false when the
// value at `index` cannot serve as the requested type.
class FormatArguments {
public:
    virtual ~FormatArguments() = default;
    virtual std::size_t count() const = 0;
    virtual bool integer(std::size_t index, SQInteger &out) const = 0;
    virtual bool floating(std::size_t index, SQFloat &out) const = 0;
    virtual bool string(std::size_t index, std::string_view &out) const = 0;
};

// Widths and precisions above this are rejected rather than allocated.
inline constexpr int kMaxFormatField = 65536;

// Returns false with a message in `error` for a malformed format, too few
// arguments or an argument of the wrong type; `out` is then unspecified.
bool format_text(std::string_view format, const FormatArguments &args, std::string &out, std::string &error);

}  // namespace acorn::stdlib

#endif
