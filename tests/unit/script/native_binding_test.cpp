#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "binding_test_vm.h"
#include "script/bind_class.h"
#include "script/engine_object.h"
#include "script/game_object.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "script/rtti_object_ref_counted.h"
#include "script/script_push.h"
#include "script/weak_slot.h"

namespace me {
namespace {

// A bound class as small as binding allows; it counts the live objects.
class Probe : public EngineObject {
public:
    static const ClassRecord kClassRecord;
    static inline int live = 0;

    Probe() { ++live; }
    ~Probe() override { --live; }
    const ClassRecord& class_record() const override { return kClassRecord; }

    SQInteger value = 0;
};

const ClassRecord Probe::kClassRecord{"Probe", &EngineObject::kClassRecord};

SQInteger probe_set(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Probe* probe = nullptr;
    SQInteger value = 0;
    if (!arguments.instance(1, probe) || !arguments.integer(2, value))
        return arguments.fail();
    probe->value = value;
    return 0;
}

SQInteger probe_get(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Probe* probe = nullptr;
    if (!arguments.instance(1, probe))
        return arguments.fail();
    sq_pushinteger(vm, probe->value);
    return 1;
}

constexpr MethodBinding kProbeMethods[] = {
    {"constructor", construct_bound_object<Probe>, 1, "x"},
    {"set", probe_set, 2, "x."},
    {"get", probe_get},
};

const NativeClassBinding g_probe_binding(Probe::kClassRecord, kProbeMethods);

// A native GameObject subclass that records the order in which objects die.
class TracedGameObject : public GameObject {
public:
    static const ClassRecord kClassRecord;
    static inline std::vector<SQInteger> destroyed;

    ~TracedGameObject() override { destroyed.push_back(id); }
    const ClassRecord& class_record() const override { return kClassRecord; }

    SQInteger id = 0;
};

const ClassRecord TracedGameObject::kClassRecord{"TracedGameObject", &GameObject::kClassRecord};

SQInteger traced_set_id(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    TracedGameObject* object = nullptr;
    if (!arguments.instance(1, object) || !arguments.integer(2, object->id))
        return arguments.fail();
    return 0;
}

constexpr MethodBinding kTracedMethods[] = {
    {"constructor", construct_bound_object<TracedGameObject>, 1, "x"},
    {"set_id", traced_set_id},
};

// Bound after GameObject, its nearest declared ancestor, whatever the order
// of declaration.
const NativeClassBinding g_traced_binding(TracedGameObject::kClassRecord, kTracedMethods);

// A native Probe subclass bound without a constructor of its own: scripts
// calling it run Probe's, which binds a plain Probe to the instance.
class ExtendedProbe : public Probe {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord& class_record() const override { return kClassRecord; }

    SQInteger extra = 99;
};

const ClassRecord ExtendedProbe::kClassRecord{"ExtendedProbe", &Probe::kClassRecord};

SQInteger extended_probe_extra(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    ExtendedProbe* probe = nullptr;
    if (!arguments.instance(1, probe))
        return arguments.fail();
    sq_pushinteger(vm, probe->extra);
    return 1;
}

constexpr MethodBinding kExtendedProbeMethods[] = {
    {"extra", extended_probe_extra},
};

const NativeClassBinding g_extended_probe_binding(ExtendedProbe::kClassRecord, kExtendedProbeMethods);

// Native functions that read one argument each and hand it back.
SQInteger read_integer(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger value = 0;
    if (!arguments.integer(2, value))
        return arguments.fail();
    sq_pushinteger(vm, value);
    return 1;
}

SQInteger read_float(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQFloat value = 0.0f;
    if (!arguments.floating(2, value))
        return arguments.fail();
    sq_pushfloat(vm, value);
    return 1;
}

SQInteger read_string(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* value = nullptr;
    if (!arguments.string(2, value))
        return arguments.fail();
    sq_pushstring(vm, value, -1);
    return 1;
}

// The blob's byte count when the flag is true, its negation otherwise.
SQInteger read_bool_and_blob(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQBool flag = SQFalse;
    std::span<const uint8_t> bytes;
    if (!arguments.boolean(2, flag) || !arguments.blob(3, bytes))
        return arguments.fail();
    const auto size = static_cast<SQInteger>(bytes.size());
    sq_pushinteger(vm, flag ? size : -size);
    return 1;
}

SQInteger read_color_sum(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    float color[4] = {};
    if (!arguments.vector(2, color))
        return arguments.fail();
    sq_pushfloat(vm, color[0] + 10 * color[1] + 100 * color[2] + 1000 * color[3]);
    return 1;
}

SQInteger read_optional_probe(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Probe* probe = nullptr;
    if (!arguments.instance(2, probe, true))
        return arguments.fail();
    sq_pushinteger(vm, probe != nullptr ? probe->value : -1);
    return 1;
}

class NativeBindingTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        Probe::live = 0;
        TracedGameObject::destroyed.clear();
        sq_pushroottable(vm());
        const SQInteger root = sq_gettop(vm());
        bind_function(vm(), root, "read_integer", read_integer);
        bind_function(vm(), root, "read_float", read_float);
        bind_function(vm(), root, "read_string", read_string);
        bind_function(vm(), root, "read_color_sum", read_color_sum);
        bind_function(vm(), root, "read_bool_and_blob", read_bool_and_blob);
        bind_function(vm(), root, "read_optional_probe", read_optional_probe);
        sq_pop(vm(), 1);
    }

    // The script instance native code gets for object, as script sees it.
    ScriptObject pushed(Probe* probe) {
        push_object<EngineObject>(vm(), probe);
        ScriptObject instance(vm(), -1);
        sq_pop(vm(), 1);
        return instance;
    }

};

TEST_F(NativeBindingTest, IntegerReaderTruncatesFloatsAndRefusesEverythingElse) {
    EXPECT_EQ(evaluate_integer("return read_integer(3.7);"), 3);
    EXPECT_EQ(evaluate_integer("return read_integer(-3.7);"), -3);
    EXPECT_EQ(evaluate_integer("return read_integer(-2147483648);"), -2147483648LL);
    EXPECT_EQ(error_of("read_integer(true)"), "Expecting integer.");
    EXPECT_EQ(error_of("read_integer(\"3\")"), "Expecting integer.");
    EXPECT_EQ(error_of("read_integer(null)"), "Expecting integer.");
    EXPECT_EQ(error_of("read_integer()"), "Expecting integer.");
}

TEST_F(NativeBindingTest, FloatAndStringReadersTakeOnlyTheirTypes) {
    EXPECT_FLOAT_EQ(evaluate_float("return read_float(4);"), 4.0f);
    EXPECT_FLOAT_EQ(evaluate_float("return read_float(0.25);"), 0.25f);
    EXPECT_EQ(error_of("read_float(false)"), "Expecting float.");
    EXPECT_EQ(error_of("read_float([1.0])"), "Expecting float.");
    EXPECT_EQ(error_of("read_float()"), "Expecting float.");
    EXPECT_EQ(evaluate_string("return read_string(\"\\u00e9t\\u00e9\");"), "\xc3\xa9t\xc3\xa9");
    EXPECT_EQ(error_of("read_string(1)"), "Expecting string.");
    EXPECT_EQ(error_of("read_string()"), "Expecting string.");
}

TEST_F(NativeBindingTest, BoolAndBlobReadersTakeOnlyTheirTypes) {
    EXPECT_EQ(evaluate_integer("return read_bool_and_blob(true, blob(3));"), 3);
    EXPECT_EQ(evaluate_integer("return read_bool_and_blob(false, blob(5));"), -5);
    EXPECT_EQ(evaluate_integer("return read_bool_and_blob(true, blob(0));"), 0);
    EXPECT_EQ(error_of("read_bool_and_blob(1, blob(1))"), "Expecting bool.");
    EXPECT_EQ(error_of("read_bool_and_blob(true, \"bytes\")"), "Expecting blob.");
    EXPECT_EQ(error_of("read_bool_and_blob(true, Probe())"), "Expecting blob.");
    EXPECT_EQ(error_of("read_bool_and_blob(true)"), "Expecting blob.");
}

TEST_F(NativeBindingTest, VectorsComeAsOneArrayOrAsSeparateNumbers) {
    EXPECT_FLOAT_EQ(evaluate_float("return read_color_sum([1, 2, 3, 4]);"), 4321.0f);
    EXPECT_FLOAT_EQ(evaluate_float("return read_color_sum(1, 2.5, 3, 4);"), 4326.0f);
    EXPECT_EQ(error_of("read_color_sum([1, 2, 3])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("read_color_sum([1, 2, 3, 4, 5])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("read_color_sum([])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("read_color_sum([1, 2, \"3\", 4])"), "Vector array element is not numeric.");
    EXPECT_EQ(error_of("read_color_sum([1, 2, 3, null])"), "Vector array element is not numeric.");
    EXPECT_EQ(error_of("read_color_sum(1, 2, 3)"), "Expecting numeric.");
    EXPECT_EQ(error_of("read_color_sum(1, 2, true, 4)"), "Expecting numeric.");
}

TEST_F(NativeBindingTest, InstanceReaderChecksTheTypeTag) {
    EXPECT_EQ(evaluate_integer("local p = Probe(); p.set(7); return read_optional_probe(p);"), 7);
    EXPECT_EQ(evaluate_integer("return read_optional_probe(null);"), -1);
    EXPECT_EQ(error_of("read_optional_probe(GameObject())"), "Expecting Probe");
    EXPECT_EQ(error_of("read_optional_probe({})"), "Expecting Probe");
    EXPECT_EQ(error_of("read_optional_probe()"), "Expecting Probe");
    EXPECT_EQ(error_of("Probe.get.call(GameObject())"), "Expecting Probe");
}

TEST_F(NativeBindingTest, ScriptClassExtendingANativeClassPassesItsChecks) {
    EXPECT_EQ(evaluate_integer("class Special extends Probe { function twice() { return get() * 2; } }"
                               "local s = Special(); s.set(21); return s.twice();"),
              42);
    EXPECT_EQ(evaluate_integer("class Labelled extends Probe { constructor() { base.constructor(); set(5); } }"
                               "return read_optional_probe(Labelled());"),
              5);
}

TEST_F(NativeBindingTest, InstanceWhoseConstructorNeverRanIsRefused) {
    EXPECT_EQ(error_of("class Unbuilt extends Probe { constructor() {} } Unbuilt().get()"), "Expecting Probe");
    EXPECT_EQ(error_of("local p = Probe(); p.constructor()"), "the instance is already constructed");
}

TEST_F(NativeBindingTest, DerivedClassHoldingItsBasesObjectIsRefusedAsTheDerivedType) {
    // Probe's own methods still work on the base object it holds...
    EXPECT_EQ(evaluate_integer("local p = ExtendedProbe(); p.set(3); return p.get();"), 3);
    // ...but it is no ExtendedProbe, so reading it as one must not reach its fields.
    EXPECT_EQ(error_of("ExtendedProbe().extra()"), "Expecting ExtendedProbe");
    const ScriptObject instance = pushed(new ExtendedProbe());
    sq_pushroottable(vm());
    sq_pushstring(vm(), "native_extended", -1);
    sq_pushobject(vm(), instance.handle());
    sq_newslot(vm(), -3, SQFalse);
    sq_pop(vm(), 1);
    EXPECT_EQ(evaluate_integer("return native_extended.extra();"), 99);
}

TEST_F(NativeBindingTest, ObjectCreatedInScriptDiesWithItsLastScriptReference) {
    evaluate("::kept <- Probe(); local temporary = Probe();");
    EXPECT_EQ(Probe::live, 1);
    evaluate("::kept = null;");
    EXPECT_EQ(Probe::live, 0);
}

TEST_F(NativeBindingTest, NativeObjectPushedToScriptGetsOneInstance) {
    auto* probe = new Probe();
    probe->value = 9;
    probe->acquire();
    const ScriptObject first = pushed(probe);
    const ScriptObject second = pushed(probe);
    EXPECT_TRUE(probe->ownership().is_bound());
    EXPECT_EQ(native_of<Probe>(first), probe);
    first.push(vm());
    second.push(vm());
    EXPECT_EQ(sq_cmp(vm()), 0);
    sq_pop(vm(), 2);
    probe->release();
}

TEST_F(NativeBindingTest, SharedObjectLivesUntilNativeAndScriptBothLetGo) {
    auto* probe = new Probe();
    probe->acquire();
    {
        const ScriptObject instance = pushed(probe);
        EXPECT_EQ(Probe::live, 1);
    }
    EXPECT_EQ(Probe::live, 1) << "the native reference pins the instance";
    probe->release();
    EXPECT_EQ(Probe::live, 0) << "the release hook deletes the object once both sides let go";
}

TEST_F(NativeBindingTest, ScriptReferenceOutlivesTheNativeOne) {
    ScriptObject instance = evaluate("return Probe();");
    Probe* probe = native_of<Probe>(instance);
    ASSERT_NE(probe, nullptr);
    probe->acquire();
    probe->acquire();
    instance.reset();
    EXPECT_EQ(Probe::live, 1);
    probe->release();
    EXPECT_EQ(Probe::live, 1);
    probe->release();
    EXPECT_EQ(Probe::live, 0);
}

TEST_F(NativeBindingTest, UnboundObjectDeletesItselfAtItsLastRelease) {
    auto* probe = new Probe();
    probe->acquire();
    probe->acquire();
    probe->release();
    EXPECT_EQ(Probe::live, 1);
    probe->release();
    EXPECT_EQ(Probe::live, 0);
}

TEST_F(NativeBindingTest, RefCountedObjectDeletesItselfAtItsLastRelease) {
    struct Counted : RefCountedObject {
        explicit Counted(bool& alive) : alive(alive) { alive = true; }
        ~Counted() override { alive = false; }
        bool& alive;
    };
    bool alive = false;
    auto* counted = new Counted(alive);
    counted->acquire();
    EXPECT_TRUE(counted->is_kind_of(RTTIObject::kClassRecord));
    EXPECT_FALSE(counted->is_kind_of(EngineObject::kClassRecord));
    counted->release();
    EXPECT_FALSE(alive);
}

TEST_F(NativeBindingTest, WeakSlotsAreClearedWhenTheirTargetDies) {
    WeakPointer<Probe> first;
    WeakPointer<Probe> second;
    {
        ScriptObject instance = evaluate("return Probe();");
        Probe* probe = native_of<Probe>(instance);
        first.reset(probe);
        second.reset(probe);
        EXPECT_EQ(first.get(), probe);
        EXPECT_EQ(second.get(), probe);
    }
    EXPECT_EQ(Probe::live, 0);
    EXPECT_EQ(first.get(), nullptr);
    EXPECT_EQ(second.get(), nullptr);
}

TEST_F(NativeBindingTest, WeakSlotMovedToAnotherTargetLeavesTheFirstList) {
    auto* a = new Probe();
    auto* b = new Probe();
    a->acquire();
    b->acquire();
    {
        WeakPointer<Probe> slot(a);
        slot.reset(b);
        EXPECT_EQ(slot.get(), b);
    }
    // The slot is gone; destroying its former targets must not touch it.
    a->release();
    b->release();
    EXPECT_EQ(Probe::live, 0);
}

TEST_F(NativeBindingTest, OwnedGameObjectSurvivesItsScriptVariableAndDiesWhenDetached) {
    evaluate("::owner <- TracedGameObject(); local child = TracedGameObject(); child.set_id(1);"
             "GameObject.set_owner(child, ::owner);");
    EXPECT_TRUE(TracedGameObject::destroyed.empty()) << "the owner's reference pins the child";
    GameObject* owner = native_of<GameObject>(evaluate("return ::owner;"));
    ASSERT_NE(owner, nullptr);
    GameObject* child = owner->first_child();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->owner(), owner);
    EXPECT_EQ(child->ownership().count(), 1);
    push_object<GameObject>(vm(), child);
    sq_pushroottable(vm());
    sq_pushstring(vm(), "child", -1);
    sq_push(vm(), -3);
    sq_newslot(vm(), -3, SQFalse);
    sq_pop(vm(), 2);
    evaluate("GameObject.set_owner(::child, null); ::child = null;");
    EXPECT_EQ(TracedGameObject::destroyed, std::vector<SQInteger>{1});
    EXPECT_EQ(owner->first_child(), nullptr);
}

TEST_F(NativeBindingTest, DetachingTheLastReferenceRunsTheDestructorAtOnce) {
    evaluate("::owner <- TracedGameObject(); local child = TracedGameObject(); child.set_id(5);"
             "GameObject.set_owner(child, ::owner);");
    GameObject* owner = native_of<GameObject>(evaluate("return ::owner;"));
    ASSERT_NE(owner, nullptr);
    owner->first_child()->set_owner(nullptr);
    EXPECT_EQ(TracedGameObject::destroyed, std::vector<SQInteger>{5});
}

TEST_F(NativeBindingTest, FreeingAnOwnersInstanceFreesItsChildrenAndClearsItsWeakSlots) {
    evaluate("::owner <- TracedGameObject(); ::owner.set_id(100);"
             "foreach (id in [1, 2, 3]) { local c = TracedGameObject(); c.set_id(id);"
             "GameObject.set_owner(c, ::owner); }");
    WeakPointer<GameObject> slot(native_of<GameObject>(evaluate("return ::owner;")));
    ASSERT_NE(slot.get(), nullptr);
    evaluate("::owner = null;");
    std::vector<SQInteger> destroyed = TracedGameObject::destroyed;
    std::sort(destroyed.begin(), destroyed.end());
    EXPECT_EQ(destroyed, (std::vector<SQInteger>{1, 2, 3, 100}));
    EXPECT_EQ(slot.get(), nullptr);
}

TEST_F(NativeBindingTest, DestroyingAnOwnerDetachesItsChildrenInOrder) {
    auto* owner = new TracedGameObject();
    owner->id = 100;
    owner->acquire();
    for (SQInteger id : {1, 2, 3}) {
        const ScriptObject child = evaluate("local c = TracedGameObject(); c.set_id(" + std::to_string(id) +
                                            "); return c;");
        native_of<GameObject>(child)->set_owner(owner);
    }
    EXPECT_TRUE(TracedGameObject::destroyed.empty());
    owner->release();
    EXPECT_EQ(TracedGameObject::destroyed, (std::vector<SQInteger>{100, 1, 2, 3}));
}

TEST_F(NativeBindingTest, MovingToAnotherOwnerKeepsTheReferenceAndSameOwnerChangesNothing) {
    evaluate("::a <- GameObject(); ::b <- GameObject(); ::c <- GameObject();"
             "GameObject.set_owner(::c, ::a); GameObject.set_owner(::c, ::a);");
    GameObject* a = native_of<GameObject>(evaluate("return ::a;"));
    GameObject* b = native_of<GameObject>(evaluate("return ::b;"));
    GameObject* c = native_of<GameObject>(evaluate("return ::c;"));
    EXPECT_EQ(c->ownership().count(), 1);
    evaluate("GameObject.set_owner(::c, ::b);");
    EXPECT_EQ(c->ownership().count(), 1);
    EXPECT_EQ(a->first_child(), nullptr);
    EXPECT_EQ(b->first_child(), c);
    evaluate("GameObject.set_owner(::c, null);");
    EXPECT_EQ(c->ownership().count(), 0);
    EXPECT_EQ(b->first_child(), nullptr);
}

TEST_F(NativeBindingTest, OwnershipCyclesAreRefusedAndChangeNothing) {
    evaluate("::a <- GameObject(); ::b <- GameObject(); ::c <- GameObject();"
             "GameObject.set_owner(::b, ::a); GameObject.set_owner(::c, ::b);"
             "GameObject.set_owner(::a, ::c); GameObject.set_owner(::a, ::a);");
    EXPECT_TRUE(logged("error: Trying to make a GameObject owned by itself or by something it owns."));
    GameObject* a = native_of<GameObject>(evaluate("return ::a;"));
    GameObject* b = native_of<GameObject>(evaluate("return ::b;"));
    EXPECT_EQ(a->owner(), nullptr);
    EXPECT_EQ(a->ownership().count(), 0);
    EXPECT_EQ(a->first_child(), b);
    EXPECT_EQ(b->ownership().count(), 1);
    TracedGameObject::destroyed.clear();
    evaluate("::t <- TracedGameObject(); ::t.set_id(8); GameObject.set_owner(::t, ::t); ::t = null;");
    EXPECT_EQ(TracedGameObject::destroyed, std::vector<SQInteger>{8}) << "a refused owner must not pin the object";
}

TEST_F(NativeBindingTest, SetOwnerChecksBothArguments) {
    EXPECT_EQ(error_of("GameObject.set_owner(Probe(), null)"), "Expecting GameObject");
    EXPECT_EQ(error_of("GameObject.set_owner(GameObject(), 3)"), "Expecting GameObject");
    EXPECT_EQ(error_of("GameObject.set_owner(GameObject())"), "Expecting GameObject");
    EXPECT_EQ(error_of("class Actor extends GameObject {} GameObject.set_owner(Actor(), GameObject())"),
              "no error");
}

TEST_F(NativeBindingTest, SiblingsUnlinkFromTheMiddleOfTheChildList) {
    GameObject owner;
    GameObject first;
    GameObject middle;
    GameObject last;
    for (GameObject* child : {&first, &middle, &last})
        child->set_owner(&owner);
    middle.acquire();
    middle.set_owner(nullptr);
    EXPECT_EQ(owner.first_child(), &first);
    EXPECT_EQ(first.next_sibling(), &last);
    EXPECT_EQ(last.next_sibling(), nullptr);
    middle.set_owner(&owner);
    EXPECT_EQ(last.next_sibling(), &middle);
    for (GameObject* child : {&first, &last, &middle}) {
        child->acquire();
        child->set_owner(nullptr);
    }
}

// A native class that no script class was bound for.
class Unbound : public EngineObject {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord& class_record() const override { return kClassRecord; }
};

const ClassRecord Unbound::kClassRecord{"NoSuchClass", &EngineObject::kClassRecord};

using NativeBindingDeathTest = NativeBindingTest;

TEST_F(NativeBindingDeathTest, PushingAnObjectWhoseClassIsNotBoundIsFatal) {
    auto* object = new Unbound();
    EXPECT_EXIT(push_object<EngineObject>(vm(), object), ::testing::ExitedWithCode(1),
                "sq_get\\( v, top \\+ 1 \\) unpexpectly failed\\.");
    delete object;
}

}  // namespace
}  // namespace me
