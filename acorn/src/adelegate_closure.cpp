// Built-in methods of functions (script closures and native closures).
#include "abaselib.h"
#include "adelegate_common.h"

// A call with no arguments at all lacks even `this`: it fails with the error
// the function's own argument check gives for none.
static SQInteger refuse_empty_call(HSQUIRRELVM v) {
    const SQValue &fn = sq_arg(v, 1);
    if (fn._type != OT_CLOSURE || v->check_arg_count(sq_closure(fn), 0)) {
        return sq_throwerror(v, "wrong number of parameters");
    }
    return SQ_ERROR;
}

// `this` is the function at API index 1, so the arguments after it are
// already laid out as a call: the environment, then the parameters.
static SQInteger call_in_place(HSQUIRRELVM v, SQBool raiseerror) {
    const SQInteger nargs = sq_gettop(v) - 1;
    if (nargs == 0) return refuse_empty_call(v);
    if (SQ_FAILED(sq_call(v, nargs, SQTrue, raiseerror))) return SQ_ERROR;
    return 1;
}

static SQInteger closure_call(HSQUIRRELVM v) { return call_in_place(v, SQTrue); }
static SQInteger closure_pcall(HSQUIRRELVM v) { return call_in_place(v, SQFalse); }

// Calls the function with the environment and parameters taken from an array.
static SQInteger call_with_array(HSQUIRRELVM v, SQBool raiseerror) {
    const ReallocVector<SQValue> args = sq_array(sq_arg(v, 2))->values;
    const auto nargs = static_cast<SQInteger>(args.size());
    if (nargs == 0) return refuse_empty_call(v);
    if (SQ_FAILED(sq_reservestack(v, nargs + 1))) return SQ_ERROR;
    sq_push(v, 1);
    for (const SQValue &a : args) sq_pushobject(v, a);
    if (SQ_FAILED(sq_call(v, nargs, SQTrue, raiseerror))) return SQ_ERROR;
    return 1;
}

static SQInteger closure_acall(HSQUIRRELVM v) { return call_with_array(v, SQTrue); }
static SQInteger closure_pacall(HSQUIRRELVM v) { return call_with_array(v, SQFalse); }

static SQInteger closure_bindenv(HSQUIRRELVM v) {
    sq_push(v, 2);
    if (SQ_FAILED(sq_bindenv(v, 1))) return SQ_ERROR;
    return 1;
}

static SQValue array_of(HSQUIRRELVM v, const std::vector<SQValue> &items) {
    SQValue out(SQArray::create(v->ss));
    sq_array(out)->values.assign(items.data(), items.data() + items.size());
    return out;
}

static void describe_script(HSQUIRRELVM v, const SQClosure *c, SQTable *info) {
    const SQFunctionProto *proto = c->fn();
    sq_table_put(v, info, "native", SQValue::boolean(false));
    sq_table_put(v, info, "name", proto->name);
    sq_table_put(v, info, "src", proto->sourcename);
    // A variable argument list shows as its array and the marker that made it.
    SQValue parameters = array_of(v, proto->parameters);
    if (proto->varparams) {
        sq_array(parameters)->values.push_back(sq_make_string(v, "vargv"));
        sq_array(parameters)->values.push_back(sq_make_string(v, "..."));
    }
    sq_table_put(v, info, "parameters", parameters);
    sq_table_put(v, info, "defparams", array_of(v, c->defaultparams));
    sq_table_put(v, info, "varargs", SQValue(static_cast<SQInteger>(proto->varparams ? 1 : 0)));
}

static void describe_native(HSQUIRRELVM v, const SQNativeClosure *c, SQTable *info) {
    sq_table_put(v, info, "native", SQValue::boolean(true));
    sq_table_put(v, info, "name", c->name);
    sq_table_put(v, info, "paramscheck", SQValue(c->nparamscheck));
    SQValue typecheck;
    if (!c->typecheck.empty()) {
        typecheck = SQValue(SQArray::create(v->ss));
        for (const SQInteger mask : c->typecheck) sq_array(typecheck)->values.push_back(SQValue(mask));
    }
    sq_table_put(v, info, "typecheck", typecheck);
}

static SQInteger closure_getinfos(HSQUIRRELVM v) {
    const SQValue &self = sq_arg(v, 1);
    SQValue info(SQTable::create(v->ss));
    if (self._type == OT_CLOSURE) {
        describe_script(v, sq_closure(self), sq_table(info));
    } else {
        describe_native(v, sq_nclosure(self), sq_table(info));
    }
    return sq_return(v, info);
}

static SQInteger closure_setroot(HSQUIRRELVM v) {
    sq_push(v, 2);
    if (SQ_FAILED(sq_setclosureroot(v, 1))) return SQ_ERROR;
    return sq_return(v, sq_arg(v, 1));
}

static SQInteger closure_getroot(HSQUIRRELVM v) {
    if (SQ_FAILED(sq_getclosureroot(v, 1))) return SQ_ERROR;
    return 1;
}

const SQRegFunction sq_closure_delegate_funcs[] = {
    {"call", closure_call, -1, "c"},
    {"pcall", closure_pcall, -1, "c"},
    {"acall", closure_acall, 2, "ca"},
    {"pacall", closure_pacall, 2, "ca"},
    {"weakref", sq_delegate_weakref, 1, nullptr},
    {"tostring", sq_delegate_tostring, 1, nullptr},
    {"bindenv", closure_bindenv, 2, "ct|y|x"},
    {"getinfos", closure_getinfos, 1, "c"},
    {"setroot", closure_setroot, 2, "ct"},
    {"getroot", closure_getroot, 1, "c"},
    {nullptr, nullptr, 0, nullptr},
};
