// Built-in methods of arrays. Methods that call script functions re-read the
// array's length after every call, since the callback may resize it.
#include <algorithm>

#include "abaselib.h"
#include "adelegate_common.h"

static SQArray *self_array(HSQUIRRELVM v) { return sq_array(sq_arg(v, 1)); }
static ReallocVector<SQValue> &self_items(HSQUIRRELVM v) { return self_array(v)->values; }
static SQInteger return_self(HSQUIRRELVM v) { return sq_return(v, sq_arg(v, 1)); }

static SQValue new_array(HSQUIRRELVM v) { return SQValue(SQArray::create(v->ss)); }

static SQInteger array_len(HSQUIRRELVM v) {
    sq_pushinteger(v, self_array(v)->size());
    return 1;
}

static SQInteger array_append(HSQUIRRELVM v) {
    self_items(v).push_back(sq_arg(v, 2));
    return return_self(v);
}

static SQInteger array_extend(HSQUIRRELVM v) {
    const ReallocVector<SQValue> &extra = sq_array(sq_arg(v, 2))->values;
    self_items(v).append(extra.begin(), extra.end());
    return return_self(v);
}

static SQInteger array_pop(HSQUIRRELVM v) {
    ReallocVector<SQValue> &items = self_items(v);
    if (items.empty()) return sq_throwerror(v, "empty array");
    const SQValue last = std::move(items.back());
    items.pop_back();
    return sq_return(v, last);
}

static SQInteger array_top(HSQUIRRELVM v) {
    const ReallocVector<SQValue> &items = self_items(v);
    if (items.empty()) return sq_throwerror(v, "top() on a empty array");
    return sq_return(v, items.back());
}

static SQInteger array_insert(HSQUIRRELVM v) {
    ReallocVector<SQValue> &items = self_items(v);
    const SQInteger at = sq_arg_integer(v, 2);
    if (at < 0 || at > static_cast<SQInteger>(items.size())) return sq_throwerror(v, "index out of range");
    items.insert(items.begin() + at, sq_arg(v, 3));
    return return_self(v);
}

static SQInteger array_remove(HSQUIRRELVM v) {
    ReallocVector<SQValue> &items = self_items(v);
    const SQInteger at = sq_arg_integer(v, 2);
    if (at < 0 || at >= static_cast<SQInteger>(items.size())) return sq_throwerror(v, "idx out of range");
    const SQValue removed = std::move(items[static_cast<size_t>(at)]);
    items.erase(items.begin() + at);
    return sq_return(v, removed);
}

static SQInteger array_resize(HSQUIRRELVM v) {
    const SQValue fill = sq_gettop(v) >= 3 ? sq_arg(v, 3) : SQValue();
    const SQInteger size = sq_arg_integer(v, 2);
    if (size < 0) return sq_throwerror(v, "resizing to negative length");
    if (!sq_resize_values(v, self_items(v), size, fill)) return SQ_ERROR;
    return return_self(v);
}

static SQInteger array_reverse(HSQUIRRELVM v) {
    ReallocVector<SQValue> &items = self_items(v);
    std::reverse(items.begin(), items.end());
    return return_self(v);
}

static SQInteger array_slice(HSQUIRRELVM v) {
    const ReallocVector<SQValue> &items = self_items(v);
    SQInteger start = 0, end = 0;
    if (!sq_resolve_range(v, 2, static_cast<SQInteger>(items.size()), start, end)) return SQ_ERROR;
    SQValue out = new_array(v);
    sq_array(out)->values.assign(items.begin() + start, items.begin() + end);
    return sq_return(v, out);
}

static SQInteger array_clear(HSQUIRRELVM v) {
    self_items(v).clear();
    return return_self(v);
}

static SQInteger array_find(HSQUIRRELVM v) {
    const SQValue wanted = sq_arg(v, 2);
    for (size_t i = 0; i < self_items(v).size(); ++i) {
        const SQValue item = self_items(v)[i];
        if (v->equal(item, wanted)) {
            sq_pushinteger(v, static_cast<SQInteger>(i));
            return 1;
        }
    }
    sq_pushnull(v);
    return 1;
}

// Calls a map/apply callback with the item and, when it declares them, the
// index and the array.
static bool call_with_item(HSQUIRRELVM v, const SQValue &fn, SQInteger arity, size_t i, SQValue &result) {
    const SQValue &self = sq_arg(v, 1);
    const SQValue item = self_items(v)[i];
    const SQValue index(static_cast<SQInteger>(i));
    switch (arity) {
        case 1: return sq_call_with(v, fn, {self, item}, result);
        case 2: return sq_call_with(v, fn, {self, item, index}, result);
        default: return sq_call_with(v, fn, {self, item, index, self}, result);
    }
}

static SQInteger array_map(HSQUIRRELVM v) {
    const SQValue fn = sq_arg(v, 2);
    const SQInteger arity = sq_callback_arity(fn, 3);
    SQValue out = new_array(v);
    sq_array(out)->values.reserve(self_items(v).size());
    for (size_t i = 0; i < self_items(v).size(); ++i) {
        SQValue mapped;
        if (!call_with_item(v, fn, arity, i, mapped)) return SQ_ERROR;
        sq_array(out)->values.push_back(mapped);
    }
    return sq_return(v, out);
}

static SQInteger array_apply(HSQUIRRELVM v) {
    const SQValue fn = sq_arg(v, 2);
    const SQInteger arity = sq_callback_arity(fn, 3);
    for (size_t i = 0; i < self_items(v).size(); ++i) {
        SQValue mapped;
        if (!call_with_item(v, fn, arity, i, mapped)) return SQ_ERROR;
        if (i < self_items(v).size()) self_items(v)[i] = mapped;
    }
    return return_self(v);
}

static SQInteger array_reduce(HSQUIRRELVM v) {
    const SQValue fn = sq_arg(v, 2);
    const bool has_initial = sq_gettop(v) >= 3;
    if (self_items(v).empty()) {
        if (has_initial) return sq_return(v, sq_arg(v, 3));
        sq_pushnull(v);
        return 1;
    }
    SQValue acc = has_initial ? sq_arg(v, 3) : self_items(v)[0];
    for (size_t i = has_initial ? 0 : 1; i < self_items(v).size(); ++i) {
        const SQValue item = self_items(v)[i];
        if (!sq_call_with(v, fn, {sq_arg(v, 1), acc, item}, acc)) return SQ_ERROR;
    }
    return sq_return(v, acc);
}

static SQInteger array_filter(HSQUIRRELVM v) {
    const SQValue fn = sq_arg(v, 2);
    SQValue out = new_array(v);
    for (size_t i = 0; i < self_items(v).size(); ++i) {
        const SQValue item = self_items(v)[i];
        SQValue keep;
        if (!sq_call_with(v, fn, {sq_arg(v, 1), SQValue(static_cast<SQInteger>(i)), item}, keep)) return SQ_ERROR;
        if (!sq_isfalse(keep)) sq_array(out)->values.push_back(item);
    }
    return sq_return(v, out);
}

// --- sort ---

// Three-way comparison used by sort: false when it raised an error.
struct SortOrder {
    HSQUIRRELVM v;
    SQValue fn;  // null: the language's own ordering

    // Whether comparing these can run script code (a comparator or a _cmp
    // metamethod), which could change the array under the sort.
    bool may_run_script(const SQValue &a, const SQValue &b) const {
        return !fn.is_null() || !plain(a) || !plain(b);
    }
    static bool plain(const SQValue &x) {
        return x._type != OT_INSTANCE && x._type != OT_TABLE && x._type != OT_USERDATA;
    }

    bool compare(const SQValue &a, const SQValue &b, SQInteger &result) const {
        if (fn.is_null()) {
            if (a._type == OT_INTEGER && b._type == OT_INTEGER) {
                result = (sq_int(a) > sq_int(b)) - (sq_int(a) < sq_int(b));
                return true;
            }
            return v->compare(a, b, result);
        }
        SQValue answer;
        if (!sq_call_with(v, fn, {sq_arg(v, 1), a, b}, answer)) return false;
        // Any number or bool counts, converted as an integer (0.5 is "equal").
        switch (answer._type) {
            case OT_INTEGER: result = sq_int(answer); return true;
            case OT_FLOAT: result = sq_float_to_integer(sq_float(answer)); return true;
            case OT_BOOL: result = sq_int(answer); return true;
            default:
                sq_throwerror(v, "numeric value expected as return value of the compare function");
                return false;
        }
    }
};

// A heap sort whose heap gives node i the children 2i and 2i+1, as the
// reference interpreter's does: elements the comparator calls equal (or a
// comparator that is not an ordering, such as `a > b`) end in the same
// order as there. It sorts the array in place, so a comparator sees the
// array part sorted and an error leaves it so; a comparator that resizes
// the array ends the sort with an error. Indices never leave the array
// whatever the comparator says.
class HeapSort {
   public:
    HeapSort(const SortOrder &order, ReallocVector<SQValue> &items) : order_(order), items_(items), n_(items.size()) {}

    bool run() {
        if (n_ < 2) return true;
        for (size_t node = n_ / 2 + 1; node-- > 0;) {
            if (!sift_down(node, n_ - 1)) return false;
        }
        for (size_t last = n_ - 1; last >= 1; --last) {
            std::swap(items_[0], items_[last]);
            if (!sift_down(0, last - 1)) return false;
        }
        return true;
    }

   private:
    // The comparator may change the array, so it gets copies of the
    // elements, and the size is checked before any index is used again.
    bool compare(size_t a, size_t b, SQInteger &result) {
        if (!order_.may_run_script(items_[a], items_[b])) return order_.compare(items_[a], items_[b], result);
        const SQValue first = items_[a], second = items_[b];
        if (!order_.compare(first, second, result)) return false;
        if (items_.size() == n_) return true;
        sq_throwerror(order_.v, "array resized during sort operation");
        return false;
    }

    bool sift_down(size_t node, size_t last) {
        SQInteger r = 0;
        for (size_t child = node * 2; child <= last; child = node * 2) {
            if (child < last) {
                if (!compare(child, child + 1, r)) return false;
                if (r <= 0) ++child;
            }
            if (!compare(node, child, r)) return false;
            if (r >= 0) return true;
            if (child == node) {
                sq_throwerror(order_.v, "inconsistent compare function");
                return false;
            }
            std::swap(items_[node], items_[child]);
            node = child;
        }
        return true;
    }

    const SortOrder &order_;
    ReallocVector<SQValue> &items_;
    const size_t n_;
};

static SQInteger array_sort(HSQUIRRELVM v) {
    const SortOrder order{v, sq_gettop(v) >= 2 ? sq_arg(v, 2) : SQValue()};
    if (!HeapSort(order, self_items(v)).run()) return SQ_ERROR;
    return return_self(v);
}

const SQRegFunction sq_array_delegate_funcs[] = {
    {"len", array_len, 1, "a"},
    {"append", array_append, 2, "a"},
    {"push", array_append, 2, "a"},
    {"extend", array_extend, 2, "aa"},
    {"pop", array_pop, 1, "a"},
    {"top", array_top, 1, "a"},
    {"insert", array_insert, 3, "an"},
    {"remove", array_remove, 2, "an"},
    {"resize", array_resize, -2, "an"},
    {"sort", array_sort, -1, "ac"},
    {"reverse", array_reverse, 1, "a"},
    {"slice", array_slice, -2, "ann"},
    {"weakref", sq_delegate_weakref, 1, nullptr},
    {"tostring", sq_delegate_tostring, 1, nullptr},
    {"clear", array_clear, 1, "a"},
    {"map", array_map, 2, "ac"},
    {"apply", array_apply, 2, "ac"},
    {"reduce", array_reduce, -2, "ac"},
    {"filter", array_filter, 2, "ac"},
    {"find", array_find, 2, "a"},
    {nullptr, nullptr, 0, nullptr},
};
