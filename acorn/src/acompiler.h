// The compiler: Squirrel source text to a function prototype.
#pragma once

#include "aobject.h"

// Compiles `len` bytes of source into the prototype of a function taking
// `this` and variadic arguments (a script's main function). On failure
// returns false, sets v->lasterror to the message, and calls the shared
// state's compiler error handler (if any) with description, source name,
// line and column. `debuginfo` keeps local-variable ranges for every
// function (they are always kept for the call-stack dump of named locals).
bool sq_compile_source(SQVM *v, const char *src, SQInteger len, const char *sourcename, bool debuginfo,
                       SQValue &proto_out);

// Prints the prototype's instructions, for debugging the compiler.
void sq_disassemble(const SQFunctionProto *proto, std::string &out);
