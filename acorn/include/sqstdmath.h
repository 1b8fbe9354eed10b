/* Acorn standard library: mathematics (abs, fabs, sqrt, trigonometry,
 * logarithms, pow, floor, ceil, rand, srand, PI, RAND_MAX). */
#ifndef ACORN_SQSTDMATH_H
#define ACORN_SQSTDMATH_H

#include "squirrel.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Registers into the table on top of the stack (usually the root table). */
SQUIRREL_API SQRESULT sqstd_register_mathlib(HSQUIRRELVM v);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* ACORN_SQSTDMATH_H */
