// The script's regexp class over the regular-expression engine.
#ifndef ACORN_STDLIB_REGEXP_CLASS_H
#define ACORN_STDLIB_REGEXP_CLASS_H

#include "squirrel.h"

namespace acorn::stdlib {

// Adds the class as the slot "regexp" of the table at stack index target.
SQRESULT register_regexp_class(HSQUIRRELVM v, SQInteger target);

}  // namespace acorn::stdlib

#endif
