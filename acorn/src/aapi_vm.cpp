// Embedding API: opening and closing VMs, threads, host hooks, compiling.
#include <cstdlib>
#include <string>

#include "aapi.h"
#include "abaselib.h"
#include "acompiler.h"

HSQUIRRELVM sq_open(SQInteger initialstacksize) {
    SQVM *v = sq_new_main_vm(initialstacksize);
    sq_register_baselib(v);
    return v;
}

HSQUIRRELVM sq_newthread(HSQUIRRELVM friendvm, SQInteger initialstacksize) {
    SQVM *thread = new SQVM(friendvm->ss, initialstacksize);
    thread->roottable = friendvm->roottable;
    thread->errorhandler = friendvm->errorhandler;
    thread->debughook = friendvm->debughook;
    thread->native_debughook = friendvm->native_debughook;
    thread->hooks_changed();
    SQValue held(thread);
    if (!api_push(friendvm, held)) return nullptr;
    return thread;
}

void sq_close(HSQUIRRELVM v) {
    SQSharedState *ss = v->ss;
    SQVM *main = ss->main_thread;
    main->clear_refs();
    if (v != main) v->clear_refs();
    ss->release_roots();
    sq_collect_cycles(ss);
    ss->main_thread = nullptr;
    sq_decref(main);
    if (ss->releasehook) ss->releasehook(ss->foreignptr, 0);
    delete ss;
}

void sq_setforeignptr(HSQUIRRELVM v, SQUserPointer p) { v->foreignptr = p; }
SQUserPointer sq_getforeignptr(HSQUIRRELVM v) { return v->foreignptr; }
void sq_setsharedforeignptr(HSQUIRRELVM v, SQUserPointer p) { v->ss->foreignptr = p; }
SQUserPointer sq_getsharedforeignptr(HSQUIRRELVM v) { return v->ss->foreignptr; }
void sq_setvmreleasehook(HSQUIRRELVM v, SQRELEASEHOOK hook) { v->releasehook = hook; }
SQRELEASEHOOK sq_getvmreleasehook(HSQUIRRELVM v) { return v->releasehook; }
void sq_setsharedreleasehook(HSQUIRRELVM v, SQRELEASEHOOK hook) { v->ss->releasehook = hook; }
SQRELEASEHOOK sq_getsharedreleasehook(HSQUIRRELVM v) { return v->ss->releasehook; }

void sq_setprintfunc(HSQUIRRELVM v, SQPRINTFUNCTION printfunc, SQPRINTFUNCTION errfunc) {
    v->ss->printfunc = printfunc;
    v->ss->errorfunc = errfunc;
}
SQPRINTFUNCTION sq_getprintfunc(HSQUIRRELVM v) { return v->ss->printfunc; }
SQPRINTFUNCTION sq_geterrorfunc(HSQUIRRELVM v) { return v->ss->errorfunc; }

SQRESULT sq_suspendvm(HSQUIRRELVM v) { return v->suspend(); }

SQRESULT sq_wakeupvm(HSQUIRRELVM v, SQBool resumedret, SQBool retval, SQBool raiseerror, SQBool throwerror) {
    if (v->state != SQ_VMSTATE_SUSPENDED) return api_error(v, "cannot resume a vm that is not running any code");
    SQValue sent;
    if (resumedret && api_frame_size(v) > 0) {
        sent = api_value(v, -1);
        v->pop(1);
    }
    SQValue ret;
    if (!v->wakeup(sent, throwerror != 0, ret, raiseerror != 0)) return SQ_ERROR;
    if (retval && !api_push(v, ret)) return SQ_ERROR;
    return SQ_OK;
}

SQInteger sq_getvmstate(HSQUIRRELVM v) { return v->state; }
SQInteger sq_getversion(void) { return SQUIRREL_VERSION_NUMBER; }

namespace {

// Pops the top value into `hook` if it is a function or null.
void pop_hook(SQVM *v, SQValue &hook) {
    if (api_frame_size(v) < 1) return;
    const SQValue &h = api_value(v, -1);
    if (sq_isfunctionvalue(h) || h.is_null()) hook = h;
    v->pop(1);
}

}  // namespace

void sq_seterrorhandler(HSQUIRRELVM v) { pop_hook(v, v->errorhandler); }
void sq_setdebughook(HSQUIRRELVM v) {
    pop_hook(v, v->debughook);
    v->hooks_changed();
}

void sq_setnativedebughook(HSQUIRRELVM v, SQDEBUGHOOK hook) {
    v->native_debughook = hook;
    v->hooks_changed();
}

SQRESULT sq_compilebuffer(HSQUIRRELVM v, const SQChar *s, SQInteger size, const SQChar *sourcename,
                          SQBool raiseerror) {
    if (!s || size < 0) return api_error(v, "invalid source buffer");
    // The compiler reports to the shared handler itself; hide it when the
    // caller asked for no report.
    SQCOMPILERERROR handler = v->ss->compilererrorhandler;
    if (!raiseerror) v->ss->compilererrorhandler = nullptr;
    SQValue proto;
    bool ok = sq_compile_source(v, s, size, sourcename ? sourcename : "", v->ss->debuginfo, proto);
    v->ss->compilererrorhandler = handler;
    if (!ok) return SQ_ERROR;
    return api_push(v, SQValue(SQClosure::create(v->ss, sq_proto(proto), v->roottable))) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_compile(HSQUIRRELVM v, SQLEXREADFUNC read, SQUserPointer p, const SQChar *sourcename, SQBool raiseerror) {
    if (!read) return api_error(v, "invalid reader");
    std::string source;
    for (SQInteger c = read(p); c != SQUIRREL_EOB; c = read(p)) source.push_back(static_cast<char>(c));
    return sq_compilebuffer(v, source.data(), static_cast<SQInteger>(source.size()), sourcename, raiseerror);
}

void sq_enabledebuginfo(HSQUIRRELVM v, SQBool enable) { v->ss->debuginfo = enable != 0; }
void sq_notifyallexceptions(HSQUIRRELVM v, SQBool enable) { v->ss->notifyallexceptions = enable != 0; }
void sq_setcompilererrorhandler(HSQUIRRELVM v, SQCOMPILERERROR f) { v->ss->compilererrorhandler = f; }

void *sq_malloc(SQUnsignedInteger size) { return std::malloc(size); }
void *sq_realloc(void *p, SQUnsignedInteger, SQUnsignedInteger newsize) { return std::realloc(p, newsize); }
void sq_free(void *p, SQUnsignedInteger) { std::free(p); }

SQInteger sq_collectgarbage(HSQUIRRELVM v) { return sq_collect_cycles(v->ss); }

SQRESULT sq_resurrectunreachable(HSQUIRRELVM v) {
    std::vector<SQValue> found;
    sq_collect_cycles(v->ss, &found);
    if (found.empty()) return api_push(v, SQValue()) ? SQ_OK : SQ_ERROR;
    SQArray *a = SQArray::create(v->ss);
    SQValue held(a);
    a->values.assign(found.data(), found.data() + found.size());
    return api_push(v, held) ? SQ_OK : SQ_ERROR;
}
