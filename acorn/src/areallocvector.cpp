// The default buffer allocator of ReallocVector. It is weak so that a test
// program can put a limit in front of it without a second copy of Acorn.
#include "areallocvector.h"

__attribute__((weak)) void *acorn_buffer_realloc(void *buffer, size_t bytes) { return std::realloc(buffer, bytes); }
