// Tables, interned strings and class member tables, tested on the object
// model directly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aobject.h"

namespace {

class TableTest : public ::testing::Test {
   protected:
    SQSharedState ss;
    SQValue str(const std::string &s) { return SQValue(SQString::create(&ss, s.data(), static_cast<SQInteger>(s.size()))); }
    SQValue table() { return SQValue(SQTable::create(&ss)); }

    // Keys of a table in iteration order, as text.
    static std::vector<std::string> keys_of(const SQTable *t) {
        std::vector<std::string> out;
        SQValue k, v;
        for (SQInteger pos = t->next(0, k, v); pos >= 0; pos = t->next(pos, k, v)) {
            if (k._type == OT_STRING)
                out.push_back(sq_str(k)->data);
            else if (k._type == OT_INTEGER)
                out.push_back(std::string("i").append(std::to_string(sq_int(k))));
            else if (k._type == OT_FLOAT)
                out.push_back(std::string("f").append(std::to_string(sq_float(k))));
            else
                out.push_back("?");
        }
        return out;
    }
};

TEST_F(TableTest, IteratesInInsertionOrderAndReinsertMovesToTheEnd) {
    SQValue t = table();
    SQTable *tb = sq_table(t);
    for (const char *k : {"zeta", "alpha", "mid", "beta"}) tb->newslot(str(k), SQValue(SQInteger(1)));
    EXPECT_EQ(keys_of(tb), (std::vector<std::string>{"zeta", "alpha", "mid", "beta"}));

    tb->newslot(str("alpha"), SQValue(SQInteger(2)));  // overwrite keeps its place
    EXPECT_EQ(keys_of(tb), (std::vector<std::string>{"zeta", "alpha", "mid", "beta"}));

    EXPECT_TRUE(tb->remove(str("alpha")));
    EXPECT_FALSE(tb->remove(str("alpha")));
    tb->newslot(str("alpha"), SQValue(SQInteger(3)));
    EXPECT_EQ(keys_of(tb), (std::vector<std::string>{"zeta", "mid", "beta", "alpha"}));
    EXPECT_EQ(tb->count(), 4);
    SQValue got;
    ASSERT_TRUE(tb->get(str("alpha"), got));
    EXPECT_EQ(sq_int(got), 3);
}

TEST_F(TableTest, IntegerAndFloatKeysAreDistinctButSignedZerosAreOneKey) {
    SQValue t = table();
    SQTable *tb = sq_table(t);
    tb->newslot(SQValue(SQInteger(1)), str("int"));
    tb->newslot(SQValue(1.0f), str("float"));
    EXPECT_EQ(tb->count(), 2);
    SQValue got;
    ASSERT_TRUE(tb->get(SQValue(SQInteger(1)), got));
    EXPECT_STREQ(sq_str(got)->data, "int");
    ASSERT_TRUE(tb->get(SQValue(1.0f), got));
    EXPECT_STREQ(sq_str(got)->data, "float");

    tb->newslot(SQValue(0.0f), str("zero"));
    ASSERT_TRUE(tb->get(SQValue(-0.0f), got));
    EXPECT_STREQ(sq_str(got)->data, "zero");
    EXPECT_FALSE(tb->get(SQValue(SQInteger(0)), got));
}

TEST_F(TableTest, NullKeyIsNeverStoredNorFound) {
    SQValue t = table();
    SQTable *tb = sq_table(t);
    tb->newslot(SQValue(), SQValue(SQInteger(1)));
    EXPECT_EQ(tb->count(), 0);
    EXPECT_EQ(tb->find(SQValue()), nullptr);
    EXPECT_FALSE(tb->remove(SQValue()));
    SQValue k, v;
    EXPECT_EQ(tb->next(0, k, v), -1);
}

TEST_F(TableTest, SetOnlyChangesExistingSlots) {
    SQValue t = table();
    SQTable *tb = sq_table(t);
    EXPECT_FALSE(tb->set(str("x"), SQValue(SQInteger(1))));
    EXPECT_EQ(tb->count(), 0);
    tb->newslot(str("x"), SQValue(SQInteger(1)));
    EXPECT_TRUE(tb->set(str("x"), SQValue(SQInteger(5))));
    EXPECT_EQ(sq_int(*tb->find(str("x"))), 5);
}

TEST_F(TableTest, GrowsToAHundredThousandKeysKeepingOrderAndValues) {
    SQValue t = table();
    SQTable *tb = sq_table(t);
    const SQInteger n = 100000;
    for (SQInteger i = 0; i < n; ++i) tb->newslot(SQValue(i * 7), SQValue(i));
    EXPECT_EQ(tb->count(), n);
    for (SQInteger i = 0; i < n; ++i) {
        SQValue *slot = tb->find(SQValue(i * 7));
        ASSERT_NE(slot, nullptr) << i;
        ASSERT_EQ(sq_int(*slot), i);
    }
    EXPECT_EQ(tb->find(SQValue(SQInteger(3))), nullptr);
    SQValue k, v;
    SQInteger expected = 0;
    for (SQInteger pos = tb->next(0, k, v); pos >= 0; pos = tb->next(pos, k, v)) ASSERT_EQ(sq_int(v), expected++);
    EXPECT_EQ(expected, n);
}

TEST_F(TableTest, DeletedHolesAreSqueezedOutWhenTheTableGrows) {
    SQValue t = table();
    SQTable *tb = sq_table(t);
    for (SQInteger i = 0; i < 1000; ++i) tb->newslot(SQValue(i), SQValue(i));
    for (SQInteger i = 0; i < 1000; i += 2) ASSERT_TRUE(tb->remove(SQValue(i)));
    EXPECT_EQ(tb->count(), 500);
    // Churn: every insert after a delete must reuse space, not grow forever.
    for (SQInteger round = 0; round < 20; ++round) {
        for (SQInteger i = 1; i < 1000; i += 2) tb->remove(SQValue(i));
        for (SQInteger i = 1; i < 1000; i += 2) tb->newslot(SQValue(i), SQValue(i + round));
    }
    EXPECT_EQ(tb->count(), 500);
    EXPECT_LE(tb->nodes.size(), 2048u);
    std::vector<std::string> keys = keys_of(tb);
    ASSERT_EQ(keys.size(), 500u);
    EXPECT_EQ(keys.front(), "i1");
    EXPECT_EQ(keys.back(), "i999");
    EXPECT_EQ(sq_int(*tb->find(SQValue(SQInteger(999)))), 999 + 19);
}

TEST_F(TableTest, ReplacingEverySlotDuringIterationVisitsEachExactlyOnce) {
    SQValue t = table();
    SQTable *tb = sq_table(t);
    for (SQInteger i = 0; i < 64; ++i) tb->newslot(SQValue(i), SQValue(i));
    // Each step deletes the slot just seen and adds a new one, so the table
    // squeezes out holes and re-indexes while the iteration is under way.
    SQInteger visits = 0, originals = 0, added = 0;
    SQValue k, v;
    for (SQInteger pos = tb->next(0, k, v); pos >= 0; pos = tb->next(pos, k, v)) {
        ++visits;
        if (k._type == OT_INTEGER && sq_int(k) < 64) {
            ++originals;
            tb->remove(k);
            tb->newslot(SQValue(sq_int(k) + 1000), SQValue(SQInteger(0)));
        } else {
            ++added;
        }
        ASSERT_LE(visits, 128);
    }
    EXPECT_EQ(originals, 64);
    EXPECT_EQ(added, 64);
    EXPECT_EQ(tb->count(), 64);
}

TEST_F(TableTest, InsertionNumbersAreRenumberedBeforeTheyRunOut) {
    SQValue t = table();
    SQTable *tb = sq_table(t);
    for (const char *k : {"a", "b", "c"}) tb->newslot(str(k), SQValue(SQInteger(1)));
    tb->remove(str("b"));
    tb->next_seq = (SQInteger(1) << 30) - 1;
    tb->newslot(str("d"), SQValue(SQInteger(1)));
    tb->newslot(str("e"), SQValue(SQInteger(1)));
    EXPECT_LT(tb->next_seq, 16);
    EXPECT_EQ(keys_of(tb), (std::vector<std::string>{"a", "c", "d", "e"}));
}

TEST_F(TableTest, CloneCopiesSlotsInOrderAndSharesTheDelegate) {
    SQValue t = table(), d = table();
    SQTable *tb = sq_table(t);
    for (const char *k : {"b", "a", "c"}) tb->newslot(str(k), str(k));
    tb->remove(str("a"));
    ASSERT_TRUE(tb->set_delegate(sq_table(d)));
    SQValue copy(tb->clone());
    SQTable *cp = sq_table(copy);
    EXPECT_EQ(keys_of(cp), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(cp->delegate, sq_table(d));
    cp->newslot(str("z"), SQValue());
    EXPECT_EQ(tb->count(), 2);
    EXPECT_EQ(cp->count(), 3);
}

TEST_F(TableTest, DelegationCyclesAreRefused) {
    SQValue a = table(), b = table();
    ASSERT_TRUE(sq_table(a)->set_delegate(sq_table(b)));
    EXPECT_FALSE(sq_table(b)->set_delegate(sq_table(a)));
    EXPECT_FALSE(sq_table(a)->set_delegate(sq_table(a)));
    EXPECT_EQ(sq_table(b)->delegate, nullptr);
    sq_table(a)->set_delegate(nullptr);
}

SQTable *g_reentered = nullptr;
SQInteger grow_table_on_release(SQUserPointer, SQInteger) {
    for (SQInteger i = 0; i < 200; ++i) g_reentered->newslot(SQValue(i), SQValue(i));
    return 0;
}

TEST_F(TableTest, ReleaseHookThatModifiesTheTableDuringRemoveIsSafe) {
    SQValue t = table();
    g_reentered = sq_table(t);
    {
        SQValue ud(SQUserData::create(&ss, 8));
        sq_userdata(ud)->hook = grow_table_on_release;
        g_reentered->newslot(str("payload"), ud);
    }
    EXPECT_TRUE(g_reentered->remove(str("payload")));
    EXPECT_EQ(g_reentered->count(), 200);
    EXPECT_EQ(g_reentered->find(str("payload")), nullptr);
    g_reentered = nullptr;
}

TEST_F(TableTest, StringsAreInternedByContentIncludingEmbeddedZeros) {
    SQValue a = str("hello"), b = str(std::string("hel") + "lo");
    EXPECT_EQ(sq_str(a), sq_str(b));
    SQValue z1 = str(std::string("a\0b", 3)), z2 = str(std::string("a\0c", 3));
    EXPECT_NE(sq_str(z1), sq_str(z2));
    EXPECT_EQ(sq_str(z1)->len, 3);
    EXPECT_EQ(sq_str(z1)->data[3], '\0');
    SQValue e1(SQString::create(&ss, "")), e2(SQString::create(&ss, nullptr, 0));
    EXPECT_EQ(sq_str(e1), sq_str(e2));
}

TEST_F(TableTest, ReleasedStringsLeaveTheInternTable) {
    SQInteger before = ss.string_count;
    std::vector<SQValue> many;
    for (int i = 0; i < 5000; ++i) many.push_back(str(std::string("s").append(std::to_string(i))));
    EXPECT_EQ(ss.string_count, before + 5000);
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(sq_str(many[i]), sq_str(str(std::string("s").append(std::to_string(i)))));
    many.clear();
    EXPECT_EQ(ss.string_count, before);
}

class ClassMembersTest : public TableTest {};

TEST_F(ClassMembersTest, FieldsAndMethodsEnumerateInDeclarationOrderBaseFirst) {
    SQValue base(SQClass::create(&ss, nullptr));
    SQClass *b = sq_class(base);
    SQValue fn(SQNativeClosure::create(&ss, nullptr, 0));
    ASSERT_TRUE(b->newslot(str("x"), SQValue(SQInteger(1)), false));
    ASSERT_TRUE(b->newslot(str("m"), fn, false));
    SQValue derived(SQClass::create(&ss, b));
    SQClass *d = sq_class(derived);
    EXPECT_FALSE(b->locked);  // deriving copies the members; the base still takes new ones
    ASSERT_TRUE(d->newslot(str("y"), SQValue(SQInteger(2)), false));
    ASSERT_TRUE(d->newslot(str("s"), SQValue(SQInteger(3)), true));

    std::vector<std::string> names;
    SQValue k, v;
    for (SQInteger pos = d->next(0, k, v); pos >= 0; pos = d->next(pos, k, v)) names.push_back(sq_str(k)->data);
    EXPECT_EQ(names, (std::vector<std::string>{"x", "m", "y", "s"}));
    EXPECT_EQ(d->fields.size(), 2u);
    EXPECT_EQ(d->methods.size(), 2u);
    SQValue got;
    ASSERT_TRUE(d->get(str("s"), got));
    EXPECT_EQ(sq_int(got), 3);
}

TEST_F(ClassMembersTest, LockedClassRefusesFieldChangesButTakesMethodsAndStatics) {
    SQValue cls(SQClass::create(&ss, nullptr));
    SQClass *c = sq_class(cls);
    ASSERT_TRUE(c->newslot(str("x"), SQValue(SQInteger(1)), false));
    SQValue inst(c->create_instance());
    EXPECT_TRUE(c->locked);
    EXPECT_FALSE(c->newslot(str("fresh"), SQValue(SQInteger(1)), false));
    SQValue got;
    EXPECT_FALSE(c->get(str("fresh"), got));
    // Not even a field's default changes once instances copied it.
    EXPECT_FALSE(c->newslot(str("x"), SQValue(SQInteger(9)), false));
    // A field cannot turn into a method once instances rely on the layout.
    EXPECT_FALSE(c->newslot(str("x"), SQValue(SQNativeClosure::create(&ss, nullptr, 0)), false));
    // New methods and statics leave the layout alone.
    EXPECT_TRUE(c->newslot(str("later"), SQValue(SQNativeClosure::create(&ss, nullptr, 0)), false));
    EXPECT_TRUE(c->newslot(str("counter"), SQValue(SQInteger(0)), true));
    EXPECT_FALSE(c->newslot(str("counter"), SQValue(SQInteger(0)), false));
    SQValue later;
    EXPECT_TRUE(sq_instance(inst)->get(str("later"), later));
    EXPECT_EQ(later._type, OT_NATIVECLOSURE);
}

TEST_F(ClassMembersTest, ConstructorAndMetamethodsAreResolvedFromMethods) {
    SQValue cls(SQClass::create(&ss, nullptr));
    SQClass *c = sq_class(cls);
    SQValue ctor(SQNativeClosure::create(&ss, nullptr, 0)), add(SQNativeClosure::create(&ss, nullptr, 0));
    ASSERT_TRUE(c->newslot(str("constructor"), ctor, false));
    ASSERT_TRUE(c->newslot(str("_add"), add, false));
    ASSERT_TRUE(c->newslot(str("_get"), SQValue(SQInteger(1)), false));  // not a function: a plain field
    EXPECT_TRUE(sq_rawequal(c->constructor, ctor));
    EXPECT_TRUE(sq_rawequal(c->metamethods[MT_ADD], add));
    EXPECT_TRUE(c->metamethods[MT_GET].is_null());
    SQValue sub(SQClass::create(&ss, c));
    EXPECT_TRUE(sq_rawequal(sq_class(sub)->metamethods[MT_ADD], add));
    EXPECT_TRUE(sq_rawequal(sq_class(sub)->constructor, ctor));
}

TEST_F(ClassMembersTest, InstancesCopyFieldDefaultsAndSetOnlyFields) {
    SQValue cls(SQClass::create(&ss, nullptr));
    SQClass *c = sq_class(cls);
    ASSERT_TRUE(c->newslot(str("hp"), SQValue(SQInteger(10)), false));
    ASSERT_TRUE(c->newslot(str("m"), SQValue(SQNativeClosure::create(&ss, nullptr, 0)), false));
    SQValue i1(c->create_instance()), i2(c->create_instance());
    EXPECT_TRUE(sq_instance(i1)->set(str("hp"), SQValue(SQInteger(3))));
    EXPECT_FALSE(sq_instance(i1)->set(str("m"), SQValue(SQInteger(3))));
    EXPECT_FALSE(sq_instance(i1)->set(str("nope"), SQValue(SQInteger(3))));
    SQValue got;
    ASSERT_TRUE(sq_instance(i2)->get(str("hp"), got));
    EXPECT_EQ(sq_int(got), 10);
    ASSERT_TRUE(sq_instance(i1)->get(str("hp"), got));
    EXPECT_EQ(sq_int(got), 3);
    SQValue copy(sq_instance(i1)->clone());
    ASSERT_TRUE(sq_instance(copy)->get(str("hp"), got));
    EXPECT_EQ(sq_int(got), 3);
    EXPECT_TRUE(sq_instance(copy)->instance_of(c));
}

}  // namespace
