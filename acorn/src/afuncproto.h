// Function prototypes: what the compiler produces and the VM runs.
#pragma once

#include <string>
#include <vector>

#include "aobject.h"
#include "aopcodes.h"

// Where a closure's free variable comes from when OP_CLOSURE runs in the
// enclosing frame.
enum SQOuterKind : uint8_t {
    OUTER_FROM_LOCAL,  // register `index` of the enclosing frame
    OUTER_FROM_OUTER,  // outer `index` of the enclosing closure
};

struct SQOuterVarInfo {
    SQValue name;  // OT_STRING
    SQOuterKind kind;
    SQInteger index;
};

// A local variable's register and the instruction range where it is live
// ([start_op, end_op) in `code`), for sq_getlocal and the LOCALS dump.
struct SQLocalVarInfo {
    SQValue name;  // OT_STRING
    SQInteger reg;
    SQInteger start_op;
    SQInteger end_op;
};

struct SQLineInfo {
    SQInteger line;
    SQInteger op;  // first instruction of that line
};

struct SQFunctionProto : SQRefCounted {
    SQValue name;        // OT_STRING, or null for anonymous functions
    SQValue sourcename;  // OT_STRING
    std::vector<SQInstruction> code;
    std::vector<SQValue> literals;    // K[]
    std::vector<SQValue> functions;   // child prototypes (OT_FUNCPROTO)
    std::vector<SQOuterVarInfo> outers;
    std::vector<SQLocalVarInfo> localvars;  // most recently declared first
    std::vector<SQLineInfo> lineinfos;  // sorted by op
    std::vector<SQValue> parameters;    // names, parameters[0] is "this"
    // For each trailing parameter with a default value, the register of the
    // *enclosing* frame that holds the default when OP_CLOSURE runs.
    std::vector<SQInteger> defaultparams;
    SQInteger nparams = 1;    // declared parameters including `this`
    SQInteger stacksize = 1;  // registers the frame needs
    bool varparams = false;   // declared with `...`; R[nparams] is `vargv`
    bool generator = false;   // contains `yield`: calling it makes a generator
    // One per instruction, made when an instruction first looks up a member.
    mutable std::vector<SQMemberCache> member_caches;

    SQMemberCache &member_cache(const SQInstruction *at) const {
        if (member_caches.empty()) member_caches.resize(code.size());
        return member_caches[static_cast<size_t>(at - code.data())];
    }

    // Source line of instruction `op` (0 when unknown).
    SQInteger line_of(SQInteger op) const;
};

// Checks that `proto` only refers to registers, literals, free variables,
// child functions and jump targets that exist (`parent`: the enclosing
// function, null for the outermost one, whose default-parameter values come
// with its closure). Children are not visited.
// On failure returns false with the reason in `why`.
bool sq_verify_proto(const SQFunctionProto *proto, const SQFunctionProto *parent, std::string &why);
