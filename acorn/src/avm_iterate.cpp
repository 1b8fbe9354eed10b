// One step of foreach (and sq_next): `iter` carries the position between
// steps and is null before the first one.
#include "avm.h"

namespace {

SQInteger position(const SQValue &iter) { return iter._type == OT_INTEGER ? sq_int(iter) : 0; }

int step_result(SQInteger next, SQValue &iter) {
    if (next < 0) return 0;
    iter = SQValue(next);
    return 1;
}

}  // namespace

int SQVM::iterate(const SQObject &o, SQValue &iter, SQValue &key, SQValue &val) {
    SQInteger pos = position(iter);
    switch (o._type) {
        case OT_TABLE: return step_result(sq_table(o)->next(pos, key, val), iter);
        case OT_CLASS: return step_result(sq_class(o)->next(pos, key, val), iter);
        case OT_ARRAY: {
            const SQArray *a = sq_array(o);
            if (pos < 0 || pos >= a->size()) return 0;
            key = SQValue(pos);
            val = a->values[static_cast<size_t>(pos)];
            iter = SQValue(pos + 1);
            return 1;
        }
        case OT_STRING: {
            const SQString *s = sq_str(o);
            if (pos < 0 || pos >= s->len) return 0;
            key = SQValue(pos);
            val = SQValue(static_cast<SQInteger>(static_cast<unsigned char>(s->data[pos])));
            iter = SQValue(pos + 1);
            return 1;
        }
        case OT_INSTANCE:
        case OT_USERDATA: {
            SQValue fn, next;
            if (!find_metamethod(o, MT_NEXTI, fn)) {
                raise_error("_nexti failed");
                return -1;
            }
            if (!call_metamethod(fn, o, 1, &iter, next)) return -1;
            if (next.is_null()) return 0;
            if (!get(o, next, val)) return -1;
            key = next;
            iter = next;
            return 1;
        }
        default: raise_error("cannot iterate %s", sq_typename(o._type)); return -1;
    }
}
