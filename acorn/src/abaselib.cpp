// The global functions of the base library, and the registration of every
// default delegate.
#include "abaselib.h"

#include "adelegate_common.h"

// Writes the argument, converted like string concatenation does, through
// the host's print or error function.
static SQInteger write_with(HSQUIRRELVM v, SQPRINTFUNCTION out) {
    SQValue text;
    if (!v->tostring(sq_arg(v, 2), text)) return SQ_ERROR;
    if (out) out(v, "%s", sq_str(text)->c_str());
    return 0;
}

static SQInteger base_print(HSQUIRRELVM v) { return write_with(v, sq_getprintfunc(v)); }
static SQInteger base_error(HSQUIRRELVM v) { return write_with(v, sq_geterrorfunc(v)); }

static SQInteger base_array(HSQUIRRELVM v) {
    SQValue out(SQArray::create(v->ss));
    const SQValue fill = sq_gettop(v) >= 3 ? sq_arg(v, 3) : SQValue();
    if (!sq_resize_values(v, sq_array(out)->values, sq_arg_integer(v, 2), fill)) return SQ_ERROR;
    return sq_return(v, out);
}

static SQInteger base_seterrorhandler(HSQUIRRELVM v) {
    sq_push(v, 2);
    sq_seterrorhandler(v);
    return 0;
}

static SQInteger base_setdebughook(HSQUIRRELVM v) {
    sq_push(v, 2);
    sq_setdebughook(v);
    return 0;
}

// Any value but null enables it, false included.
static SQInteger base_enabledebuginfo(HSQUIRRELVM v) {
    sq_enabledebuginfo(v, sq_arg(v, 2).is_null() ? SQFalse : SQTrue);
    return 0;
}

static SQInteger base_getstackinfos(HSQUIRRELVM v) { return sq_push_stackinfos(v, sq_arg_integer(v, 2), v); }

static SQInteger base_getroottable(HSQUIRRELVM v) {
    sq_pushroottable(v);
    return 1;
}

static SQInteger base_getconsttable(HSQUIRRELVM v) {
    sq_pushconsttable(v);
    return 1;
}

// Replaces a VM-wide table with the argument and returns the one it replaced.
static SQInteger swap_table(HSQUIRRELVM v, void (*push_current)(HSQUIRRELVM), SQRESULT (*replace)(HSQUIRRELVM)) {
    push_current(v);
    sq_push(v, 2);
    if (SQ_FAILED(replace(v))) return SQ_ERROR;
    return 1;
}

static SQInteger base_setroottable(HSQUIRRELVM v) { return swap_table(v, sq_pushroottable, sq_setroottable); }
static SQInteger base_setconsttable(HSQUIRRELVM v) { return swap_table(v, sq_pushconsttable, sq_setconsttable); }

static SQInteger base_assert(HSQUIRRELVM v) {
    if (!sq_isfalse(sq_arg(v, 2))) return 0;
    if (sq_gettop(v) < 3) return sq_throwerror(v, "assertion failed");
    SQValue message;
    if (!v->tostring(sq_arg(v, 3), message)) return SQ_ERROR;
    return sq_throwerror(v, sq_str(message)->c_str());
}

static SQInteger base_compilestring(HSQUIRRELVM v) {
    const SQString *source = sq_str(sq_arg(v, 2));
    const char *name = sq_gettop(v) >= 3 ? sq_str(sq_arg(v, 3))->c_str() : "unnamedbuffer";
    if (SQ_FAILED(sq_compilebuffer(v, source->c_str(), source->len, name, SQFalse))) return SQ_ERROR;
    return 1;
}

// The new thread keeps the function at the bottom of its stack; the thread
// delegate's call() runs it from there.
static SQInteger base_newthread(HSQUIRRELVM v) {
    HSQUIRRELVM thread = sq_newthread(v, SQ_MIN_STACK_SIZE);
    if (!thread) return sq_throwerror(v, "cannot create a thread");
    sq_move(thread, v, 2);
    return 1;
}

static SQInteger base_suspend(HSQUIRRELVM v) { return sq_suspendvm(v); }

static SQInteger base_type(HSQUIRRELVM v) {
    sq_pushstring(v, sq_typename(sq_gettype(v, 2)), -1);
    return 1;
}

// The function that called callee(): the frame below this native's own.
static SQInteger base_callee(HSQUIRRELVM v) {
    if (v->calls.size() < 2) return sq_throwerror(v, "no function is running");
    return sq_return(v, v->calls[v->calls.size() - 2].closure);
}

static SQInteger base_dummy(HSQUIRRELVM) { return 0; }

static SQInteger base_collectgarbage(HSQUIRRELVM v) {
    sq_pushinteger(v, sq_collectgarbage(v));
    return 1;
}

static SQInteger base_resurrectunreachable(HSQUIRRELVM v) {
    if (SQ_FAILED(sq_resurrectunreachable(v))) return SQ_ERROR;
    return 1;
}

// rawcall(f, this, ...): the arguments after rawcall's own `this` are
// already laid out as a call of f.
static SQInteger base_rawcall(HSQUIRRELVM v) {
    if (SQ_FAILED(sq_call(v, sq_gettop(v) - 2, SQTrue, SQTrue))) return SQ_ERROR;
    return 1;
}

static const SQRegFunction global_funcs[] = {
    {"print", base_print, 2, nullptr},
    {"error", base_error, 2, nullptr},
    {"array", base_array, -2, ".n"},
    {"seterrorhandler", base_seterrorhandler, 2, ".c|o"},
    {"setdebughook", base_setdebughook, 2, ".c|o"},
    {"enabledebuginfo", base_enabledebuginfo, 2, nullptr},
    {"getstackinfos", base_getstackinfos, 2, ".n"},
    {"getroottable", base_getroottable, 1, nullptr},
    {"setroottable", base_setroottable, 2, ".t"},
    {"getconsttable", base_getconsttable, 1, nullptr},
    {"setconsttable", base_setconsttable, 2, ".t"},
    {"assert", base_assert, -2, nullptr},
    {"compilestring", base_compilestring, -2, ".ss"},
    {"newthread", base_newthread, 2, ".c"},
    {"suspend", base_suspend, -1, nullptr},
    {"type", base_type, 2, nullptr},
    {"callee", base_callee, 1, nullptr},
    {"dummy", base_dummy, 0, nullptr},
    {"collectgarbage", base_collectgarbage, 1, nullptr},
    {"resurrectunreachable", base_resurrectunreachable, 1, nullptr},
    {"rawcall", base_rawcall, -3, ".c"},
    {nullptr, nullptr, 0, nullptr},
};

// Adds a native closure for each entry to the table on top of the stack.
static void add_functions(HSQUIRRELVM v, const SQRegFunction *funcs) {
    for (const SQRegFunction *f = funcs; f->name; ++f) {
        sq_pushstring(v, f->name, -1);
        sq_newclosure(v, f->f, 0);
        sq_setparamscheck(v, f->nparamscheck, f->typemask);
        sq_setnativeclosurename(v, -1, f->name);
        sq_newslot(v, -3, SQFalse);
    }
}

static SQValue make_delegate(HSQUIRRELVM v, const SQRegFunction *funcs) {
    sq_newtable(v);
    add_functions(v, funcs);
    SQValue table = sq_arg(v, -1);
    sq_pop(v, 1);
    return table;
}

static void add_constants(HSQUIRRELVM v, SQTable *root) {
    sq_table_put(v, root, "_version_", sq_make_string(v, SQUIRREL_VERSION));
    sq_table_put(v, root, "_versionnumber_", SQValue(static_cast<SQInteger>(SQUIRREL_VERSION_NUMBER)));
    sq_table_put(v, root, "_charsize_", SQValue(static_cast<SQInteger>(sizeof(SQChar))));
    sq_table_put(v, root, "_intsize_", SQValue(static_cast<SQInteger>(sizeof(SQInteger))));
    sq_table_put(v, root, "_floatsize_", SQValue(static_cast<SQInteger>(sizeof(SQFloat))));
}

void sq_register_baselib(SQVM *v) {
    SQSharedState *ss = v->ss;
    ss->number_delegate = make_delegate(v, sq_number_delegate_funcs);
    ss->string_delegate = make_delegate(v, sq_string_delegate_funcs);
    ss->table_delegate = make_delegate(v, sq_table_delegate_funcs);
    ss->array_delegate = make_delegate(v, sq_array_delegate_funcs);
    ss->closure_delegate = make_delegate(v, sq_closure_delegate_funcs);
    ss->class_delegate = make_delegate(v, sq_class_delegate_funcs);
    ss->instance_delegate = make_delegate(v, sq_instance_delegate_funcs);
    ss->generator_delegate = make_delegate(v, sq_generator_delegate_funcs);
    ss->thread_delegate = make_delegate(v, sq_thread_delegate_funcs);
    ss->weakref_delegate = make_delegate(v, sq_weakref_delegate_funcs);

    sq_pushroottable(v);
    add_functions(v, global_funcs);
    add_constants(v, sq_table(sq_arg(v, -1)));
    sq_pop(v, 1);
}
