// Built-in methods of tables.
#include <utility>
#include <vector>

#include "abaselib.h"
#include "adelegate_common.h"

static SQTable *self_table(HSQUIRRELVM v) { return sq_table(sq_arg(v, 1)); }

// The slots as they are now: callbacks may change the table while the
// methods below walk it, so they walk a copy.
static std::vector<std::pair<SQValue, SQValue>> snapshot(const SQTable *t) {
    std::vector<std::pair<SQValue, SQValue>> slots;
    slots.reserve(static_cast<size_t>(t->count()));
    SQValue key, val;
    for (SQInteger pos = t->next(0, key, val); pos >= 0; pos = t->next(pos, key, val)) slots.emplace_back(key, val);
    return slots;
}

static SQInteger table_len(HSQUIRRELVM v) {
    sq_pushinteger(v, self_table(v)->count());
    return 1;
}

static SQInteger table_rawdelete(HSQUIRRELVM v) {
    SQTable *t = self_table(v);
    const SQValue &key = sq_arg(v, 2);
    SQValue removed;
    if (const SQValue *slot = t->find(key)) {
        removed = *slot;
        t->remove(key);
    }
    return sq_return(v, removed);
}

static SQInteger table_clear(HSQUIRRELVM v) {
    self_table(v)->clear();
    return sq_return(v, sq_arg(v, 1));
}

static SQInteger table_setdelegate(HSQUIRRELVM v) {
    const SQValue &d = sq_arg(v, 2);
    if (!self_table(v)->set_delegate(d._type == OT_TABLE ? sq_table(d) : nullptr))
        return sq_throwerror(v, "delegate cycle");
    return sq_return(v, sq_arg(v, 1));
}

static SQInteger table_getdelegate(HSQUIRRELVM v) {
    SQTable *d = self_table(v)->delegate;
    if (d) return sq_return(v, SQValue(d));
    sq_pushnull(v);
    return 1;
}

static SQInteger table_filter(HSQUIRRELVM v) {
    const SQValue fn = sq_arg(v, 2);
    SQValue out(SQTable::create(v->ss));
    for (const auto &[key, val] : snapshot(self_table(v))) {
        SQValue keep;
        if (!sq_call_with(v, fn, {sq_arg(v, 1), key, val}, keep)) return SQ_ERROR;
        if (!sq_isfalse(keep)) sq_table(out)->newslot(key, val);
    }
    return sq_return(v, out);
}

static SQInteger table_map(HSQUIRRELVM v) {
    const SQValue fn = sq_arg(v, 2);
    SQValue out(SQArray::create(v->ss));
    for (const auto &[key, val] : snapshot(self_table(v))) {
        SQValue mapped;
        if (!sq_call_with(v, fn, {sq_arg(v, 1), key, val}, mapped)) return SQ_ERROR;
        sq_array(out)->values.push_back(mapped);
    }
    return sq_return(v, out);
}

// An array of the slot keys (or values) in iteration order.
static SQInteger collect(HSQUIRRELVM v, bool keys) {
    SQValue out(SQArray::create(v->ss));
    ReallocVector<SQValue> &items = sq_array(out)->values;
    for (auto &[key, val] : snapshot(self_table(v))) items.push_back(keys ? std::move(key) : std::move(val));
    return sq_return(v, out);
}

static SQInteger table_keys(HSQUIRRELVM v) { return collect(v, true); }
static SQInteger table_values(HSQUIRRELVM v) { return collect(v, false); }

const SQRegFunction sq_table_delegate_funcs[] = {
    {"len", table_len, 1, "t"},
    {"rawget", sq_delegate_rawget, 2, "t"},
    {"rawset", sq_delegate_rawset, 3, "t"},
    {"rawdelete", table_rawdelete, 2, "t"},
    {"rawin", sq_delegate_rawin, 2, "t"},
    {"weakref", sq_delegate_weakref, 1, nullptr},
    {"tostring", sq_delegate_tostring, 1, nullptr},
    {"clear", table_clear, 1, "t"},
    {"setdelegate", table_setdelegate, 2, "tt|o"},
    {"getdelegate", table_getdelegate, 1, "t"},
    {"filter", table_filter, 2, "tc"},
    {"map", table_map, 2, "tc"},
    {"keys", table_keys, 1, "t"},
    {"values", table_values, 1, "t"},
    {nullptr, nullptr, 0, nullptr},
};
