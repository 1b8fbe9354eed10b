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

// A string's bytes given as two consecutive pieces, so a concatenation can
// be hashed and looked up before its bytes are ever joined.
struct Pieces {
    const char *a;
    size_t alen;
    const char *b;
    size_t blen;

    size_t size() const { return alen + blen; }
    unsigned char at(size_t i) const { return static_cast<unsigned char>(i < alen ? a[i] : b[i - alen]); }
    bool same_bytes(const char *p) const {
        return std::memcmp(p, a, alen) == 0 && std::memcmp(p + alen, b, blen) == 0;
    }
    void copy_to(char *dest) const {
        std::memcpy(dest, a, alen);
        std::memcpy(dest + alen, b, blen);
    }
};

// FNV-1a over at most about 32 bytes spread across the string: building a
// long string piece by piece would otherwise hash it again in full at every
// step. Strings that differ only between samples share a bucket and are told
// apart by comparing their bytes.
SQHash hash_pieces(const Pieces &p) {
    size_t len = p.size();
    size_t step = (len >> 5) + 1;
    uint32_t h = 2166136261u ^ static_cast<uint32_t>(len);
    for (size_t i = len; i >= step; i -= step) {
        h ^= p.at(i - 1);
        h *= 16777619u;
    }
    return static_cast<SQHash>(h);
}

SQString *find_interned(SQSharedState *ss, const Pieces &p, SQHash hash) {
    SQInteger len = static_cast<SQInteger>(p.size());
    for (SQString *s = ss->string_buckets[bucket_of(hash, ss->string_buckets.size())]; s; s = s->chain)
        if (s->hash == hash && s->len == len && p.same_bytes(s->data)) return s;
    return nullptr;
}

SQString *intern(SQSharedState *ss, const Pieces &p) {
    if (ss->string_buckets.empty()) ss->string_buckets.assign(kMinStringBuckets, nullptr);
    SQHash hash = hash_pieces(p);
    if (SQString *found = find_interned(ss, p, hash)) return found;

    // The bytes live in the same allocation, right after the object.
    void *mem = ::operator new(sizeof(SQString) + p.size() + 1);
    SQString *str = new (mem) SQString();
    str->ss = ss;
    str->len = static_cast<SQInteger>(p.size());
    str->hash = hash;
    str->data = reinterpret_cast<char *>(str + 1);
    p.copy_to(str->data);
    str->data[str->len] = '\0';

    if (static_cast<size_t>(ss->string_count) >= ss->string_buckets.size()) grow_string_buckets(ss);
    size_t b = bucket_of(hash, ss->string_buckets.size());
    str->chain = ss->string_buckets[b];
    ss->string_buckets[b] = str;
    ++ss->string_count;
    return str;
}

}  // namespace

SQHash sq_hashbytes(const char *s, size_t len) { return hash_pieces(Pieces{s, len, "", 0}); }

SQString *SQString::create(SQSharedState *ss, const char *s, SQInteger len) {
    if (!s) s = "";
    if (len < 0) len = static_cast<SQInteger>(std::strlen(s));
    return intern(ss, Pieces{s, static_cast<size_t>(len), "", 0});
}

SQString *SQString::concat(SQSharedState *ss, const char *a, SQInteger alen, const char *b, SQInteger blen) {
    return intern(ss, Pieces{a, static_cast<size_t>(alen), b, static_cast<size_t>(blen)});
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
