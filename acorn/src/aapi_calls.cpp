// Embedding API: calls, errors and call-stack inspection.
#include "aapi.h"
#include "agenerator.h"

SQRESULT sq_call(HSQUIRRELVM v, SQInteger params, SQBool retval, SQBool raiseerror) {
    if (params < 1) return api_error(v, "a call needs at least `this`");
    if (!api_need(v, params + 1)) return SQ_ERROR;
    SQValue closure = api_value(v, -(params + 1));
    SQValue ret;
    SQInteger depth = v->call_depth();
    bool ok = v->call(closure, params, v->top - params, ret, raiseerror != 0);
    // A call that suspended leaves its frames on the stack: the arguments are theirs now.
    if (v->call_depth() == depth) v->pop(std::min(params, api_frame_size(v) - 1));
    if (!ok) return SQ_ERROR;
    if (retval && !api_push(v, ret)) return SQ_ERROR;
    return SQ_OK;
}

SQRESULT sq_tailcall(HSQUIRRELVM v, SQInteger nparams) {
    // A plain call: native frames are cheap, so reusing one buys nothing.
    if (SQ_FAILED(sq_call(v, nparams, SQTrue, SQTrue))) return SQ_ERROR;
    sq_remove(v, -2);
    return 1;
}

SQRESULT sq_resume(HSQUIRRELVM v, SQBool retval, SQBool) {
    const SQValue *o = api_typed(v, -1, OT_GENERATOR);
    if (!o) return api_error(v, "only generators can be resumed");
    SQValue gen = *o, ret;
    if (!v->resume_generator(sq_generator(gen), ret)) return SQ_ERROR;
    if (retval && !api_push(v, ret)) return SQ_ERROR;
    return SQ_OK;
}

SQRESULT sq_throwerror(HSQUIRRELVM v, const SQChar *err) {
    v->lasterror = err ? SQValue(SQString::create(v->ss, err)) : SQValue();
    return SQ_ERROR;
}

SQRESULT sq_throwobject(HSQUIRRELVM v) {
    if (!api_need(v, 1)) return SQ_ERROR;
    v->lasterror = api_value(v, -1);
    v->pop(1);
    return SQ_ERROR;
}

void sq_reseterror(HSQUIRRELVM v) { v->lasterror.set_null(); }

void sq_getlasterror(HSQUIRRELVM v) { api_push(v, v->lasterror); }

SQRESULT sq_getcallee(HSQUIRRELVM v) {
    if (v->calls.empty()) return api_error(v, "no closure in the calls stack");
    return api_push(v, v->calls.back().closure) ? SQ_OK : SQ_ERROR;
}

const SQChar *sq_getlocal(HSQUIRRELVM v, SQUnsignedInteger level, SQUnsignedInteger idx) {
    SQValue val;
    const char *name = v->local_name(static_cast<SQInteger>(level), static_cast<SQInteger>(idx), val);
    if (!name || !api_push(v, val)) return nullptr;
    return name;
}

SQRESULT sq_stackinfos(HSQUIRRELVM v, SQInteger level, SQStackInfos *si) {
    SQStackInfos info{};
    if (level < 0 || !v->stack_info(level, info)) return SQ_ERROR;
    if (si) *si = info;
    return SQ_OK;
}

SQRESULT sq_getfunctioninfo(HSQUIRRELVM v, SQInteger level, SQFunctionInfo *fi) {
    if (level < 0 || level >= v->call_depth()) return api_error(v, "the level is out of range");
    const SQValue &fn = v->calls[static_cast<size_t>(v->call_depth() - 1 - level)].closure;
    if (fn._type != OT_CLOSURE) return api_error(v, "the function is not a closure");
    const SQFunctionProto *proto = sq_closure(fn)->fn();
    if (fi) {
        fi->funcid = const_cast<SQFunctionProto *>(proto);
        fi->name = proto->name._type == OT_STRING ? sq_str(proto->name)->data : "unknown";
        fi->source = proto->sourcename._type == OT_STRING ? sq_str(proto->sourcename)->data : "unknown";
        fi->line = proto->lineinfos.empty() ? 0 : proto->lineinfos.front().line;
    }
    return SQ_OK;
}
