// Tables: a hash index over a node array kept in insertion order. Deleting a
// slot leaves a hole (null key) so that positions held by iterators stay
// valid; holes are squeezed out when the index is rebuilt.
//
// Values being replaced or removed are moved into locals and released only
// after the table is consistent again, because releasing them can run
// release hooks that re-enter and modify this very table.
#include <algorithm>
#include <bit>

#include "aobject.h"

namespace {

constexpr size_t kMinBuckets = 4;
// Insertion numbers stay below this so that `seq + 1` is a valid position.
constexpr SQInteger kMaxSeq = SQInteger(1) << 30;
// A capacity is only a hint; beyond this the table grows as it fills.
constexpr SQInteger kMaxCapacityHint = SQInteger(1) << 16;

SQHash hash_of(const SQObject &key) {
    switch (key._type) {
        case OT_STRING: return sq_str(key)->hash;
        case OT_INTEGER:
        case OT_BOOL: return static_cast<SQHash>(key._unVal.nInteger);
        case OT_FLOAT: {
            float f = key._unVal.fFloat;
            if (f == 0.0f) f = 0.0f;  // -0.0 and 0.0 are the same key
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            return static_cast<SQHash>(bits * 2654435761u);
        }
        default: {
            auto addr = reinterpret_cast<uintptr_t>(key._unVal.pRefCounted);
            return static_cast<SQHash>((addr >> 4) ^ (addr >> 20));
        }
    }
}

}  // namespace

SQTable *SQTable::create(SQSharedState *ss, SQInteger capacity) {
    SQTable *t = new SQTable(ss);
    capacity = std::min(capacity, kMaxCapacityHint);
    if (capacity > 0) {
        size_t n = std::bit_ceil(static_cast<size_t>(capacity));
        t->nodes.reserve(n);
        t->buckets.assign(std::max(n, kMinBuckets), -1);
    }
    return t;
}

SQInteger SQTable::find_node(const SQObject &key) const {
    if (buckets.empty() || key._type == OT_NULL) return -1;
    if (key._type == OT_STRING) {
        // The common case: interned strings are equal only if identical.
        const SQString *s = sq_str(key);
        for (SQInteger i = buckets[s->hash & (buckets.size() - 1)]; i >= 0; i = nodes[i].next)
            if (nodes[i].key._type == OT_STRING && sq_str(nodes[i].key) == s) return i;
        return -1;
    }
    SQHash h = hash_of(key);
    for (SQInteger i = buckets[h & (buckets.size() - 1)]; i >= 0; i = nodes[i].next)
        if (nodes[i].hash == h && sq_rawequal(nodes[i].key, key)) return i;
    return -1;
}

SQValue *SQTable::find(const SQObject &key) {
    const SQInteger node = find_node(key);
    return node >= 0 ? &nodes[static_cast<size_t>(node)].val : nullptr;
}

SQValue *SQTable::find_and_hint(const SQObject &key, SQInteger &hint) {
    const SQInteger node = find_node(key);
    if (node < 0) return nullptr;
    hint = node;
    return &nodes[static_cast<size_t>(node)].val;
}

bool SQTable::get(const SQObject &key, SQValue &val) {
    SQValue *slot = find(key);
    if (!slot) return false;
    val = *slot;
    return true;
}

bool SQTable::set(const SQObject &key, const SQObject &val) {
    SQValue *slot = find(key);
    if (!slot) return false;
    SQValue old = std::move(*slot);
    *slot = val;
    return true;
}

void SQTable::rebuild(size_t nbuckets) {
    std::vector<Node> live;
    live.reserve(std::max(static_cast<size_t>(used), nbuckets / 2));
    for (Node &n : nodes)
        if (n.key._type != OT_NULL) live.push_back(std::move(n));
    nodes.swap(live);
    buckets.assign(nbuckets, -1);
    for (size_t i = 0; i < nodes.size(); ++i) {
        size_t b = nodes[i].hash & (nbuckets - 1);
        nodes[i].next = buckets[b];
        buckets[b] = static_cast<SQInteger>(i);
    }
}

void SQTable::newslot(const SQObject &key, const SQObject &val) {
    if (key._type == OT_NULL) return;
    if (SQValue *slot = find(key)) {
        SQValue old = std::move(*slot);
        *slot = val;
        return;
    }
    if (nodes.size() >= buckets.size())
        rebuild(std::max(kMinBuckets, std::bit_ceil(static_cast<size_t>(used + 1) * 2)));
    if (next_seq >= kMaxSeq) {
        // Renumbering can disturb an iteration running right now; it happens
        // once in about a billion insertions into one table.
        rebuild(buckets.size());
        for (size_t i = 0; i < nodes.size(); ++i) nodes[i].seq = static_cast<SQInteger>(i);
        next_seq = static_cast<SQInteger>(nodes.size());
    }
    SQHash h = hash_of(key);
    size_t b = h & (buckets.size() - 1);
    nodes.push_back(Node{SQValue(key), SQValue(val), h, buckets[b], next_seq++});
    buckets[b] = static_cast<SQInteger>(nodes.size() - 1);
    ++used;
}

bool SQTable::remove(const SQObject &key) {
    if (buckets.empty() || key._type == OT_NULL) return false;
    SQHash h = hash_of(key);
    SQInteger *link = &buckets[h & (buckets.size() - 1)];
    while (*link >= 0 && !(nodes[*link].hash == h && sq_rawequal(nodes[*link].key, key))) link = &nodes[*link].next;
    if (*link < 0) return false;
    Node &n = nodes[*link];
    *link = n.next;
    SQValue oldkey = std::move(n.key);
    SQValue oldval = std::move(n.val);
    n.next = -1;
    --used;
    return true;
}

size_t SQTable::first_at_or_after(SQInteger seq) const {
    // Until holes are squeezed out, insertion numbers equal indices.
    if (seq >= 0 && static_cast<size_t>(seq) < nodes.size() && nodes[static_cast<size_t>(seq)].seq == seq)
        return static_cast<size_t>(seq);
    auto it = std::lower_bound(nodes.begin(), nodes.end(), seq,
                               [](const Node &n, SQInteger s) { return n.seq < s; });
    return static_cast<size_t>(it - nodes.begin());
}

SQInteger SQTable::next(SQInteger pos, SQValue &key, SQValue &val) const {
    for (size_t i = first_at_or_after(std::max<SQInteger>(pos, 0)); i < nodes.size(); ++i) {
        if (nodes[i].key._type == OT_NULL) continue;
        key = nodes[i].key;
        val = nodes[i].val;
        return nodes[i].seq + 1;
    }
    return -1;
}

SQTable *SQTable::clone() const {
    SQTable *t = create(ss, used);
    for (const Node &n : nodes)
        if (n.key._type != OT_NULL) t->newslot(n.key, n.val);
    t->set_delegate(delegate);
    return t;
}

void SQTable::clear() {
    std::vector<Node> old;
    old.swap(nodes);
    buckets.assign(buckets.empty() ? 0 : kMinBuckets, -1);
    used = 0;
}

void SQTable::traverse(SQGCVisitor &v) {
    if (delegate) v.visit(sq_objref(OT_TABLE, delegate));
    for (const Node &n : nodes) {
        if (n.key._type == OT_NULL) continue;
        v.visit(n.key);
        v.visit(n.val);
    }
}

void SQTable::clear_refs() {
    clear();
    set_delegate(nullptr);
}
