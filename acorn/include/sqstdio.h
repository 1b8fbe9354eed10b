/* Acorn standard library: files as script objects (the file class, stdin,
 * stdout, stderr), loading and running scripts and compiled closures from
 * files. A host that must not give scripts file access leaves this library
 * unregistered; sqstd_loadfile and sqstd_dofile work without it. */
#ifndef ACORN_SQSTDIO_H
#define ACORN_SQSTDIO_H

#include "squirrel.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SQ_SEEK_CUR 0
#define SQ_SEEK_END 1
#define SQ_SEEK_SET 2

typedef void *SQFILE;

SQUIRREL_API SQFILE sqstd_fopen(const SQChar *filename, const SQChar *mode);
SQUIRREL_API SQInteger sqstd_fread(SQUserPointer buffer, SQInteger size, SQInteger count, SQFILE file);
SQUIRREL_API SQInteger sqstd_fwrite(const SQUserPointer buffer, SQInteger size, SQInteger count, SQFILE file);
SQUIRREL_API SQInteger sqstd_fseek(SQFILE file, SQInteger offset, SQInteger origin);
SQUIRREL_API SQInteger sqstd_ftell(SQFILE file);
SQUIRREL_API SQInteger sqstd_fflush(SQFILE file);
SQUIRREL_API SQInteger sqstd_fclose(SQFILE file);
SQUIRREL_API SQInteger sqstd_feof(SQFILE file);

/* Pushes a file object over an open C stream; with own set, the object
 * closes the stream when it is released. */
SQUIRREL_API SQRESULT sqstd_createfile(HSQUIRRELVM v, SQFILE file, SQBool own);
SQUIRREL_API SQRESULT sqstd_getfile(HSQUIRRELVM v, SQInteger idx, SQFILE *file);

/* Pushes the closure compiled from a source file or read from a compiled
 * closure file (recognised by its leading stream tag). */
SQUIRREL_API SQRESULT sqstd_loadfile(HSQUIRRELVM v, const SQChar *filename, SQBool printerror);
/* Loads the file and calls it with the value on top of the stack as `this`;
 * with retval, the result is left on the stack. */
SQUIRREL_API SQRESULT sqstd_dofile(HSQUIRRELVM v, const SQChar *filename, SQBool retval, SQBool printerror);
/* Writes the closure on top of the stack. */
SQUIRREL_API SQRESULT sqstd_writeclosuretofile(HSQUIRRELVM v, const SQChar *filename);

/* Registers into the table on top of the stack (usually the root table). */
SQUIRREL_API SQRESULT sqstd_register_iolib(HSQUIRRELVM v);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* ACORN_SQSTDIO_H */
