/* Acorn standard library: format, split, strip, escape, startswith,
 * endswith and the regexp class, with the regular-expression engine behind
 * it exposed as the sqstd_rex_* functions. */
#ifndef ACORN_SQSTDSTRING_H
#define ACORN_SQSTDSTRING_H

#include "squirrel.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned int SQRexBool;
typedef struct SQRex SQRex;

typedef struct {
    const SQChar *begin;
    SQInteger len;
} SQRexMatch;

/* Returns NULL and points *error at a static description when the pattern
 * is invalid. */
SQUIRREL_API SQRex *sqstd_rex_compile(const SQChar *pattern, const SQChar **error);
SQUIRREL_API void sqstd_rex_free(SQRex *exp);
/* True when the whole text matches. */
SQUIRREL_API SQBool sqstd_rex_match(SQRex *exp, const SQChar *text);
SQUIRREL_API SQBool sqstd_rex_search(SQRex *exp, const SQChar *text, const SQChar **out_begin,
                                     const SQChar **out_end);
SQUIRREL_API SQBool sqstd_rex_searchrange(SQRex *exp, const SQChar *text_begin, const SQChar *text_end,
                                          const SQChar **out_begin, const SQChar **out_end);
/* The number of groups plus one for the whole match. */
SQUIRREL_API SQInteger sqstd_rex_getsubexpcount(SQRex *exp);
/* A group that took no part in the last match has a NULL begin. */
SQUIRREL_API SQBool sqstd_rex_getsubexp(SQRex *exp, SQInteger n, SQRexMatch *subexp);

/* Formats with the format string at nformatstringidx and the values after
 * it; *output stays valid until the VM's scratch pad is next used. */
SQUIRREL_API SQRESULT sqstd_format(HSQUIRRELVM v, SQInteger nformatstringidx, SQInteger *outlen,
                                   SQChar **output);

/* Registers into the table on top of the stack (usually the root table). */
SQUIRREL_API SQRESULT sqstd_register_stringlib(HSQUIRRELVM v);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* ACORN_SQSTDSTRING_H */
