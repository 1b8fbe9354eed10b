#include "image/png_callbacks.h"

namespace me {

void leave_png_on_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void ignore_png_warning(png_structp, png_const_charp) {}

}  // namespace me
