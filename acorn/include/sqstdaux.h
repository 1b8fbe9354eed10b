/* Acorn standard library: error reporting that prints the error, the call
 * stack and every level's locals through the VM's error function. */
#ifndef ACORN_SQSTDAUX_H
#define ACORN_SQSTDAUX_H

#include "squirrel.h"

#ifdef __cplusplus
extern "C" {
#endif

SQUIRREL_API void sqstd_seterrorhandlers(HSQUIRRELVM v);
SQUIRREL_API void sqstd_printcallstack(HSQUIRRELVM v);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* ACORN_SQSTDAUX_H */
