// Reference counting, weak references, release hooks and the cycle
// collector, tested on the object model directly.
#include <gtest/gtest.h>

#include <string>

#include "afuncproto.h"
#include "aobject.h"

namespace {

int g_hook_runs = 0;
SQInteger count_release(SQUserPointer, SQInteger) {
    ++g_hook_runs;
    return 0;
}

class GcTest : public ::testing::Test {
   protected:
    SQSharedState ss;
    void SetUp() override { g_hook_runs = 0; }
    void TearDown() override { EXPECT_EQ(sq_collect_cycles(&ss), 0) << "a test left garbage behind"; }

    SQValue str(const char *s) { return SQValue(SQString::create(&ss, s)); }
    SQValue table() { return SQValue(SQTable::create(&ss)); }
    static SQValue weak(const SQValue &o) { return SQValue(o._unVal.pRefCounted->get_weakref(o._type)); }
    static bool dead(const SQValue &weakref) { return sq_weak(weakref)->obj._type == OT_NULL; }
    SQValue hooked_userdata() {
        SQValue ud(SQUserData::create(&ss, 4));
        sq_userdata(ud)->hook = count_release;
        return ud;
    }
};

TEST_F(GcTest, AcyclicObjectsDieAtTheirLastRelease) {
    SQValue ud = hooked_userdata();
    SQValue w = weak(ud);
    SQValue second = ud;
    ud.set_null();
    EXPECT_EQ(g_hook_runs, 0);
    EXPECT_FALSE(dead(w));
    second.set_null();
    EXPECT_EQ(g_hook_runs, 1);
    EXPECT_TRUE(dead(w));
}

TEST_F(GcTest, OneWeakReferencePerTargetThatOutlivesIt) {
    SQValue t = table();
    SQValue w1 = weak(t), w2 = weak(t);
    EXPECT_EQ(sq_weak(w1), sq_weak(w2));
    EXPECT_EQ(sq_weak(w1)->obj._unVal.pTable, sq_table(t));
    t.set_null();
    EXPECT_TRUE(dead(w1));
    // A fresh target gets a fresh weak reference.
    SQValue t2 = table();
    EXPECT_NE(sq_weak(weak(t2)), sq_weak(w1));
}

TEST_F(GcTest, TableCycleIsFreedWithAnExactCount) {
    SQValue a = table(), b = table();
    sq_table(a)->newslot(str("other"), b);
    sq_table(b)->newslot(str("other"), a);
    SQValue wa = weak(a), wb = weak(b);
    EXPECT_EQ(sq_collect_cycles(&ss), 0);  // still held from outside
    a.set_null();
    b.set_null();
    EXPECT_FALSE(dead(wa));
    EXPECT_EQ(sq_collect_cycles(&ss), 2);
    EXPECT_TRUE(dead(wa));
    EXPECT_TRUE(dead(wb));
}

TEST_F(GcTest, SelfReferencingArrayAndItsPayloadAreFreed) {
    SQValue arr(SQArray::create(&ss));
    sq_array(arr)->values.push_back(arr);
    sq_array(arr)->values.push_back(hooked_userdata());
    SQValue w = weak(arr);
    arr.set_null();
    EXPECT_EQ(g_hook_runs, 0);
    EXPECT_EQ(sq_collect_cycles(&ss), 2);
    EXPECT_TRUE(dead(w));
    EXPECT_EQ(g_hook_runs, 1);
}

TEST_F(GcTest, CycleReachableFromAnOutsideReferenceSurvives) {
    SQValue holder = table();
    SQValue a = table(), b = table();
    sq_table(a)->newslot(str("b"), b);
    sq_table(b)->newslot(str("a"), a);
    sq_table(holder)->newslot(str("a"), a);
    SQValue wa = weak(a);
    a.set_null();
    b.set_null();
    EXPECT_EQ(sq_collect_cycles(&ss), 0);
    EXPECT_FALSE(dead(wa));
    holder.set_null();  // acyclic holder goes at once; the cycle needs the collector
    EXPECT_FALSE(dead(wa));
    EXPECT_EQ(sq_collect_cycles(&ss), 2);
    EXPECT_TRUE(dead(wa));
}

TEST_F(GcTest, InstanceCycleRunsReleaseHooksOnlyWhenCollected) {
    SQValue cls(SQClass::create(&ss, nullptr));
    SQClass *c = sq_class(cls);
    ASSERT_TRUE(c->newslot(str("next"), SQValue(), false));
    c->hook = count_release;
    SQValue n1(c->create_instance()), n2(c->create_instance());
    ASSERT_TRUE(sq_instance(n1)->set(str("next"), n2));
    ASSERT_TRUE(sq_instance(n2)->set(str("next"), n1));
    n1.set_null();
    n2.set_null();
    EXPECT_EQ(g_hook_runs, 0);
    EXPECT_EQ(sq_collect_cycles(&ss), 2);
    EXPECT_EQ(g_hook_runs, 2);
}

TEST_F(GcTest, ClassAndInstanceCycleThroughAStaticMemberIsFreed) {
    SQValue cls(SQClass::create(&ss, nullptr));
    SQClass *c = sq_class(cls);
    ASSERT_TRUE(c->newslot(str("single"), SQValue(), true));
    SQValue inst(c->create_instance());
    ASSERT_TRUE(c->newslot(str("single"), inst, true));
    SQValue wc = weak(cls), wi = weak(inst);
    cls.set_null();
    inst.set_null();
    EXPECT_EQ(sq_collect_cycles(&ss), 3);  // class, instance and the class's member table
    EXPECT_TRUE(dead(wc));
    EXPECT_TRUE(dead(wi));
}

TEST_F(GcTest, ClosureCycleThroughDefaultParameterIsFreed) {
    SQValue proto(new SQFunctionProto());
    sq_proto(proto)->defaultparams.push_back(1);
    SQValue root = table();
    SQValue fn(SQClosure::create(&ss, sq_proto(proto), root));
    SQValue holder = table();
    sq_closure(fn)->defaultparams[0] = holder;
    sq_table(holder)->newslot(str("fn"), fn);
    EXPECT_EQ(sq_closure(fn)->root._type, OT_WEAKREF);  // the root is not kept alive by closures
    SQValue wf = weak(fn);
    fn.set_null();
    holder.set_null();
    EXPECT_EQ(sq_collect_cycles(&ss), 2);
    EXPECT_TRUE(dead(wf));
    EXPECT_EQ(sq_table(root)->refs, 1u);
}

TEST_F(GcTest, NativeClosureFreeVariableCycleIsFreed) {
    SQValue nc(SQNativeClosure::create(&ss, nullptr, 1));
    SQValue t = table();
    sq_nclosure(nc)->outers[0] = t;
    sq_table(t)->newslot(str("f"), nc);
    nc.set_null();
    t.set_null();
    EXPECT_EQ(sq_collect_cycles(&ss), 2);
}

struct HookProbe {
    SQValue field_weak;
    bool field_alive_in_hook = false;
};

SQInteger probe_release(SQUserPointer up, SQInteger size) {
    ++g_hook_runs;
    EXPECT_EQ(size, static_cast<SQInteger>(sizeof(HookProbe *)));
    HookProbe *probe = *static_cast<HookProbe **>(up);
    probe->field_alive_in_hook = sq_weak(probe->field_weak)->obj._type != OT_NULL;
    return 0;
}

TEST_F(GcTest, InstanceHookSeesItsDataBeforeItsFieldsAreReleased) {
    HookProbe probe;
    SQValue cls(SQClass::create(&ss, nullptr));
    SQClass *c = sq_class(cls);
    c->udsize = sizeof(HookProbe *);
    ASSERT_TRUE(c->newslot(str("payload"), SQValue(), false));
    SQValue inst(c->create_instance());
    SQInstance *in = sq_instance(inst);
    ASSERT_NE(in->up, nullptr);
    *static_cast<HookProbe **>(in->up) = &probe;
    in->hook = probe_release;
    {
        SQValue payload = table();
        probe.field_weak = weak(payload);
        ASSERT_TRUE(in->set(str("payload"), payload));
    }
    inst.set_null();
    EXPECT_EQ(g_hook_runs, 1);
    EXPECT_TRUE(probe.field_alive_in_hook);
    EXPECT_EQ(sq_weak(probe.field_weak)->obj._type, OT_NULL);
}

TEST_F(GcTest, LongChainIsReleasedWithoutDeepRecursion) {
    SQValue head = table();
    SQValue key = str("next");
    SQValue tail = head;
    for (int i = 0; i < 200000; ++i) {
        SQValue node = table();
        sq_table(tail)->newslot(key, node);
        tail = node;
    }
    sq_table(tail)->newslot(str("hook"), hooked_userdata());
    tail.set_null();
    head.set_null();
    EXPECT_EQ(g_hook_runs, 1);
}

TEST_F(GcTest, LongRingIsCollectedWithoutDeepRecursion) {
    const int n = 200000;
    SQValue first(SQArray::create(&ss));
    SQValue tail = first;
    for (int i = 1; i < n; ++i) {
        SQValue node(SQArray::create(&ss));
        sq_array(tail)->values.push_back(node);
        tail = node;
    }
    sq_array(tail)->values.push_back(first);
    SQValue w = weak(first);
    first.set_null();
    tail.set_null();
    EXPECT_EQ(sq_collect_cycles(&ss), n);
    EXPECT_TRUE(dead(w));
}

TEST_F(GcTest, UnreachableObjectsCanBeHandedBackInsteadOfFreed) {
    SQValue a = table();
    sq_table(a)->newslot(str("self"), a);
    SQValue w = weak(a);
    a.set_null();
    std::vector<SQValue> found;
    EXPECT_EQ(sq_collect_cycles(&ss, &found), 1);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]._type, OT_TABLE);
    EXPECT_FALSE(dead(w));
    found.clear();
    EXPECT_EQ(sq_collect_cycles(&ss), 1);
    EXPECT_TRUE(dead(w));
}

SQSharedState *g_collecting_state = nullptr;
SQInteger g_collected_in_hook = -1;
SQInteger collect_on_release(SQUserPointer, SQInteger) {
    g_collected_in_hook = sq_collect_cycles(g_collecting_state);
    return 0;
}

TEST_F(GcTest, CollectingFromAReleaseHookLeavesQueuedReleasesAlone) {
    g_collecting_state = &ss;
    g_collected_in_hook = -1;
    SQValue owner = table();
    SQValue child = table();
    SQValue queued(SQArray::create(&ss));
    sq_array(queued)->values.push_back(child);
    SQValue wchild = weak(child);
    child.set_null();
    SQValue collector(SQUserData::create(&ss, 0));
    sq_userdata(collector)->hook = collect_on_release;
    // Released in slot order, run in reverse: the array is still queued
    // when the user data's hook collects.
    sq_table(owner)->newslot(str("array"), queued);
    sq_table(owner)->newslot(str("collector"), collector);
    queued.set_null();
    collector.set_null();
    owner.set_null();
    EXPECT_EQ(g_collected_in_hook, 0);
    EXPECT_TRUE(dead(wchild));
    g_collecting_state = nullptr;
}

TEST_F(GcTest, DelegateCycleThroughUserDataIsFreed) {
    SQValue ud = hooked_userdata();
    SQValue d = table();
    ASSERT_TRUE(sq_userdata(ud)->set_delegate(sq_table(d)));
    sq_table(d)->newslot(str("owner"), ud);
    ud.set_null();
    d.set_null();
    EXPECT_EQ(g_hook_runs, 0);
    EXPECT_EQ(sq_collect_cycles(&ss), 2);
    EXPECT_EQ(g_hook_runs, 1);
}

}  // namespace
