#pragma once

#include <png.h>

namespace me {

// libpng error handler that returns to the setjmp point of the reader or
// writer without printing; callers turn the jump into their own message.
void leave_png_on_error(png_structp png, png_const_charp message);

// libpng warnings (ancillary chunk damage) do not stop a load and are not
// worth a log line each.
void ignore_png_warning(png_structp png, png_const_charp message);

}  // namespace me
