/* Acorn standard library: the blob class, a growable byte buffer with a
 * read/write position, and the byte-order helpers castf2i, casti2f, swap2,
 * swap4 and swapfloat. */
#ifndef ACORN_SQSTDBLOB_H
#define ACORN_SQSTDBLOB_H

#include "squirrel.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Pushes a new blob of `size` zero bytes and returns its storage, or NULL
 * (with nothing pushed) when the blob library is not registered. */
SQUIRREL_API SQUserPointer sqstd_createblob(HSQUIRRELVM v, SQInteger size);
SQUIRREL_API SQRESULT sqstd_getblob(HSQUIRRELVM v, SQInteger idx, SQUserPointer *ptr);
/* The blob's size in bytes, or -1 when the value at idx is not a blob. */
SQUIRREL_API SQInteger sqstd_getblobsize(HSQUIRRELVM v, SQInteger idx);

/* Registers into the table on top of the stack (usually the root table). */
SQUIRREL_API SQRESULT sqstd_register_bloblib(HSQUIRRELVM v);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* ACORN_SQSTDBLOB_H */
