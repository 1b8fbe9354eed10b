/* Acorn standard library: getenv, system, clock, time, date, remove and
 * rename. */
#ifndef ACORN_SQSTDSYSTEM_H
#define ACORN_SQSTDSYSTEM_H

#include "squirrel.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Registers into the table on top of the stack (usually the root table). */
SQUIRREL_API SQRESULT sqstd_register_systemlib(HSQUIRRELVM v);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* ACORN_SQSTDSYSTEM_H */
