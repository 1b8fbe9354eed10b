#include "binding.h"

namespace acorn::stdlib {

void add_functions(HSQUIRRELVM v, const SQRegFunction *functions) {
    for (const SQRegFunction *f = functions; f->name != nullptr; ++f) {
        sq_pushstring(v, f->name, -1);
        sq_newclosure(v, f->f, 0);
        sq_setparamscheck(v, f->nparamscheck, f->typemask);
        sq_setnativeclosurename(v, -1, f->name);
        sq_newslot(v, -3, SQFalse);
    }
}

SQRESULT registration_target(HSQUIRRELVM v, SQInteger &target) {
    target = sq_gettop(v);
    if (target < 1 || sq_gettype(v, target) != OT_TABLE) {
        return sq_throwerror(v, "a library registers into the table on top of the stack");
    }
    return SQ_OK;
}

SQRESULT push_registry_value(HSQUIRRELVM v, const SQChar *key) {
    const SQInteger top = sq_gettop(v);
    sq_pushregistrytable(v);
    sq_pushstring(v, key, -1);
    if (SQ_FAILED(sq_rawget(v, -2))) {
        sq_settop(v, top);
        return SQ_ERROR;
    }
    sq_remove(v, -2);
    return SQ_OK;
}

SQRESULT define_class(HSQUIRRELVM v, bool has_base, const void *type_tag, const SQRegFunction *methods,
                      const SQChar *registry_key, SQInteger target, const SQChar *global_name) {
    const SQInteger top = sq_gettop(v) - (has_base ? 1 : 0);
    if (SQ_FAILED(sq_newclass(v, has_base ? SQTrue : SQFalse))) {
        sq_settop(v, top);
        return SQ_ERROR;
    }
    sq_settypetag(v, -1, const_cast<void *>(type_tag));
    add_functions(v, methods);
    HSQOBJECT cls;
    sq_getstackobj(v, -1, &cls);
    sq_pushregistrytable(v);
    sq_pushstring(v, registry_key, -1);
    sq_pushobject(v, cls);
    sq_newslot(v, -3, SQFalse);
    sq_poptop(v);
    if (global_name != nullptr) {
        sq_push(v, target);
        sq_pushstring(v, global_name, -1);
        sq_pushobject(v, cls);
        sq_newslot(v, -3, SQFalse);
        sq_poptop(v);
    }
    sq_settop(v, top);
    return SQ_OK;
}

std::string_view string_argument(HSQUIRRELVM v, SQInteger idx) {
    const SQChar *text = nullptr;
    SQInteger size = 0;
    if (SQ_FAILED(sq_getstringandsize(v, idx, &text, &size)) || text == nullptr) return {};
    return {text, static_cast<std::size_t>(size)};
}

SQRESULT c_string_argument(HSQUIRRELVM v, SQInteger idx, std::string &out) {
    const std::string_view text = string_argument(v, idx);
    if (text.find('\0') != std::string_view::npos) return sq_throwerror(v, "string with a zero byte where a name is expected");
    out.assign(text);
    return SQ_OK;
}

}  // namespace acorn::stdlib
