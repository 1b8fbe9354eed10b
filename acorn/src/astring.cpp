// Interned strings: one object per distinct byte sequence and shared state,
// so string equality is pointer equality everywhere else.
#include <new>

#include "aobject.h"

namespace {

constexpr size_t kMinStringBuckets = 64;

size_t bucket_of(SQHash hash, size_t nbuckets) { return static_cast<size_t>(hash) & (nbuckets - 1); }

void grow_string_buckets(SQSharedState *ss) {
    std::vector<SQString *> grown(ss->string_buckets.size() * 2, nullptr);
    for (SQString *head : ss->string_buckets) {
        while (head) {
            SQString *next = head->chain;
            size_t b = bucket_of(head->hash, grown.size());
            head->chain = grown[b];
            grown[b] = head;
            head = next;
        }
    }
    ss->string_buckets.swap(grown);
}

SQString *find_interned(SQSharedState *ss, const char *s, SQInteger len, SQHash hash) {
    for (SQString *p = ss->string_buckets[bucket_of(hash, ss->string_buckets.size())]; p; p = p->chain)
        if (p->hash == hash && p->len == len && std::memcmp(p->data, s, static_cast<size_t>(len)) == 0) return p;
    return nullptr;
}

}  // namespace

SQHash sq_hashbytes(const char *s, size_t len) {
    // FNV-1a over at most about 32 bytes spread across the string: building
    // a long string piece by piece would otherwise hash it again in full at
    // every step. Strings that differ only between samples share a bucket
    // and are told apart by comparing their bytes.
    size_t step = (len >> 5) + 1;
    uint32_t h = 2166136261u ^ static_cast<uint32_t>(len);
    for (size_t i = len; i >= step; i -= step) {
        h ^= static_cast<unsigned char>(s[i - 1]);
        h *= 16777619u;
    }
    return static_cast<SQHash>(h);
}

SQString *SQString::create(SQSharedState *ss, const char *s, SQInteger len) {
    if (!s) s = "";
    if (len < 0) len = static_cast<SQInteger>(std::strlen(s));
    if (ss->string_buckets.empty()) ss->string_buckets.assign(kMinStringBuckets, nullptr);
    SQHash hash = sq_hashbytes(s, static_cast<size_t>(len));
    if (SQString *found = find_interned(ss, s, len, hash)) return found;

    // The bytes live in the same allocation, right after the object.
    void *mem = ::operator new(sizeof(SQString) + static_cast<size_t>(len) + 1);
    SQString *str = new (mem) SQString();
    str->ss = ss;
    str->len = len;
    str->hash = hash;
    str->data = reinterpret_cast<char *>(str + 1);
    std::memcpy(str->data, s, static_cast<size_t>(len));
    str->data[len] = '\0';

    if (static_cast<size_t>(ss->string_count) >= ss->string_buckets.size()) grow_string_buckets(ss);
    size_t b = bucket_of(hash, ss->string_buckets.size());
    str->chain = ss->string_buckets[b];
    ss->string_buckets[b] = str;
    ++ss->string_count;
    return str;
}

void SQString::release_self() {
    SQString **link = &ss->string_buckets[bucket_of(hash, ss->string_buckets.size())];
    while (*link && *link != this) link = &(*link)->chain;
    if (*link) {
        *link = chain;
        --ss->string_count;
    }
    this->~SQString();
    ::operator delete(this);
}
