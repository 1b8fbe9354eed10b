// The compiler: Squirrel source text to a function prototype.
#pragma once

#include "aobject.h"

// Compiles `len` bytes of source into the prototype of a function taking
// `this` and variadic arguments (a script's main function). On failure
// returns false, sets v->lasterror to the message, and calls the shared
// state's compiler error handler (if any) with description, source name,
// line and column. Line and local-variable records are always kept (the
// call-stack dump needs them), so `debuginfo` changes nothing.
bool sq_compile_source(SQVM *v, const char *src, SQInteger len, const char *sourcename, bool debuginfo,
                       SQValue &proto_out);

// Prints the prototype's instructions, for debugging the compiler.
void sq_disassemble(const SQFunctionProto *proto, std::string &out);
