#include <gtest/gtest.h>

#include <string>

#include "binding_test_vm.h"
#include "resources/resource_class.h"
#include "resources/resource_def_reader.h"
#include "resources/resource_list.h"
#include "resources/resource_registry.h"

namespace me {
namespace {

ResourceType g_widget_type{"widget", "g_widget_defs", {}, {}, {}};
ResourceType g_gadget_type{"gadget", "g_gadget_defs", {}, {}, {}};
ResourceType g_doodad_type{"doodad", "g_doodad_defs", {}, {}, {}};

// A resource whose load follows its def: "fail" makes it fail, and every
// attempt is counted. During its load it looks its own name up again.
class Widget : public ResourceObject {
public:
    static const ClassRecord kClassRecord;
    static inline int loads = 0;
    static inline ResourceObject* found_during_load = nullptr;

    Widget() : ResourceObject(g_widget_type) {}
    const ClassRecord& class_record() const override { return kClassRecord; }

    bool load() override {
        ++loads;
        if (has_name())
            found_during_load = load_resource(g_widget_type, get_name()).get();
        return !DefReader(resource_vm(), get_def()).boolean("fail", false);
    }
};

const ClassRecord Widget::kClassRecord{"Widget", &ResourceObject::kClassRecord};
const ResourceClass g_widget_class(Widget::kClassRecord, g_widget_type, make_resource<Widget>);

// Two implementations of one type, and a type with none.
class SmallGadget : public ResourceObject {
public:
    static const ClassRecord kClassRecord;
    SmallGadget() : ResourceObject(g_gadget_type) {}
    const ClassRecord& class_record() const override { return kClassRecord; }
};

class LargeGadget : public ResourceObject {
public:
    static const ClassRecord kClassRecord;
    LargeGadget() : ResourceObject(g_gadget_type) {}
    const ClassRecord& class_record() const override { return kClassRecord; }
};

const ClassRecord SmallGadget::kClassRecord{"SmallGadget", &ResourceObject::kClassRecord};
const ClassRecord LargeGadget::kClassRecord{"LargeGadget", &ResourceObject::kClassRecord};
const ClassRecord kDoodadRecord{"Doodad", &ResourceObject::kClassRecord};
const ResourceClass g_small_gadget_class(SmallGadget::kClassRecord, g_gadget_type, make_resource<SmallGadget>);
const ResourceClass g_large_gadget_class(LargeGadget::kClassRecord, g_gadget_type, make_resource<LargeGadget>);
const ResourceClass g_doodad_class(kDoodadRecord, g_doodad_type, nullptr);

TEST(ResourceRegistryWithoutVm, LookupsFindNothingAndDefineCreatesNothing) {
    const int loads_before = Widget::loads;
    EXPECT_EQ(resource_vm(), nullptr);
    EXPECT_FALSE(load_resource(g_widget_type, "lamp"));
    EXPECT_FALSE(load_resource_from_def(g_widget_type, ScriptObject()));
    EXPECT_TRUE(define_resource(g_widget_type, "lamp").is_null());
    cache_resource("widget", "lamp");
    EXPECT_EQ(Widget::loads, loads_before);
}

class ResourceRegistryTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        Widget::loads = 0;
        Widget::found_during_load = nullptr;
        m_previous_list = g_resource_list;
        g_resource_list = &m_held;
    }

    void TearDown() override {
        BindingTest::TearDown();
        g_resource_list = m_previous_list;
    }

    void run(const std::string& code) { evaluate(code + " return null;"); }
    size_t occurrences(const std::string& line) const {
        const std::string text = log_text();
        size_t count = 0;
        for (size_t at = text.find(line + "\n"); at != std::string::npos; at = text.find(line + "\n", at + 1))
            ++count;
        return count;
    }

    ResourceList m_held;

private:
    ResourceList* m_previous_list = nullptr;
};

TEST_F(ResourceRegistryTest, EveryTypePublishesItsDefsTable) {
    for (const char* name : {"g_texture_defs", "g_sprite_defs", "g_font_defs", "g_shader_defs", "g_emitter_defs",
                             "g_clip_resource_defs", "g_curve_defs", "g_sound_defs", "g_anim_resource_defs",
                             "g_mesh_resource_defs", "g_model_defs", "g_material_defs", "g_widget_defs"})
        EXPECT_EQ(evaluate_string(std::string("return typeof ") + name + ";"), "table") << name;
}

TEST_F(ResourceRegistryTest, SameNameTwiceGivesOneHeldInstanceAndOneLoad) {
    run("g_widget_defs.lamp <- {};");
    auto first = load_resource(g_widget_type, "lamp");
    const std::string log_after_first = log_text();
    auto second = load_resource(g_widget_type, "lamp");
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(Widget::loads, 1);
    EXPECT_EQ(log_text(), log_after_first);
    EXPECT_TRUE(first->has_state(ResourceObject::Loaded));
    EXPECT_TRUE(first->has_state(ResourceObject::Held));
    EXPECT_EQ(m_held.size(), 1u);
    EXPECT_EQ(first->get_name(), "lamp");
}

TEST_F(ResourceRegistryTest, NamesCompareExactly) {
    run("g_widget_defs.lamp <- {};");
    EXPECT_FALSE(load_resource(g_widget_type, "Lamp"));
    EXPECT_TRUE(logged("Can't load widget 'Lamp', def not found."));
    EXPECT_FALSE(load_resource(g_widget_type, "lamp "));
    EXPECT_FALSE(load_resource(g_widget_type, ""));
    EXPECT_TRUE(logged("Can't load widget '', def not found."));
}

TEST_F(ResourceRegistryTest, ALoadSeesItsOwnInstanceWhileLoading) {
    run("g_widget_defs.lamp <- {};");
    auto lamp = load_resource(g_widget_type, "lamp");
    EXPECT_EQ(Widget::found_during_load, lamp.get());
    EXPECT_EQ(Widget::loads, 1);
}

TEST_F(ResourceRegistryTest, ClassIsChosenByNameAmongImplementations) {
    run("g_gadget_defs.big <- { _class = \"LargeGadget\" }; g_gadget_defs.small <- { _class = \"SmallGadget\" };");
    auto big = load_resource(g_gadget_type, "big");
    auto small = load_resource(g_gadget_type, "small");
    ASSERT_TRUE(big && small);
    EXPECT_EQ(big->class_record().name, std::string("LargeGadget"));
    EXPECT_EQ(small->class_record().name, std::string("SmallGadget"));
}

TEST_F(ResourceRegistryTest, ClassSelectionFailuresHaveTheirOwnMessages) {
    run("g_gadget_defs.plain <- {}; g_gadget_defs.other <- { _class = \"Widget\" };"
        "g_gadget_defs.cased <- { _class = \"smallgadget\" }; g_doodad_defs.any <- {};"
        "g_widget_defs.numbered <- { _class = 5 };");
    EXPECT_FALSE(load_resource(g_gadget_type, "plain"));
    EXPECT_TRUE(logged("Can't load gadget 'plain', class can be omit if there is only one implementation class. "
                       "Please contant the programmer."));
    EXPECT_FALSE(load_resource(g_gadget_type, "other"));
    EXPECT_TRUE(logged("Can't load gadget 'other', class 'Widget' implementing this resource was not found."));
    EXPECT_FALSE(load_resource(g_gadget_type, "cased"));
    EXPECT_TRUE(logged("Can't load gadget 'cased', class 'smallgadget' implementing this resource was not found."));
    EXPECT_FALSE(load_resource(g_doodad_type, "any"));
    EXPECT_TRUE(logged("Can't load doodad 'any', class '' implementing this resource was not found."));
    EXPECT_TRUE(load_resource(g_widget_type, "numbered")) << "a _class that is not a string counts as absent";
    EXPECT_EQ(m_held.size(), 1u);
}

TEST_F(ResourceRegistryTest, FailedLoadIsReportedTwiceAndRetriedLater) {
    run("g_widget_defs.broken <- { fail = true };");
    EXPECT_FALSE(load_resource(g_widget_type, "broken"));
    EXPECT_EQ(occurrences("Widget 'broken' failed to load."), 1u);
    EXPECT_EQ(occurrences("Can't load widget 'broken'."), 1u);
    const std::string text = log_text();
    EXPECT_LT(text.find("Widget 'broken' failed to load."), text.find("Can't load widget 'broken'."));
    EXPECT_FALSE(load_resource(g_widget_type, "broken"));
    EXPECT_EQ(Widget::loads, 2);
    EXPECT_EQ(occurrences("Can't load widget 'broken'."), 2u);
    EXPECT_EQ(m_held.size(), 0u);
    run("g_widget_defs.broken.fail = false;");
    EXPECT_TRUE(load_resource(g_widget_type, "broken"));
}

TEST_F(ResourceRegistryTest, AFreshDefsTableBoundToTheGlobalIsNotSeen) {
    run("g_widget_defs.lamp <- {}; g_widget_defs = { lamp = {}, desk = {} };");
    EXPECT_TRUE(load_resource(g_widget_type, "lamp"));
    EXPECT_FALSE(load_resource(g_widget_type, "desk"));
    EXPECT_TRUE(logged("Can't load widget 'desk', def not found."));
    run("g_texture_defs = { stone = { file = \"stone.png\" } };");
    EXPECT_FALSE(load_resource(resource_types::texture, "stone"));
    EXPECT_TRUE(logged("Can't load texture 'stone', def not found."));
}

TEST_F(ResourceRegistryTest, InlineDefsBuildUnnamedResourcesThatAreNeitherCachedNorHeld) {
    run("::inline_def <- { colour = 3 };");
    auto resource = load_resource_from_def(g_widget_type, evaluate("return inline_def;"));
    ASSERT_TRUE(resource);
    EXPECT_EQ(resource->get_name(), "");
    EXPECT_FALSE(resource->has_name());
    EXPECT_FALSE(resource->has_state(ResourceObject::Held));
    EXPECT_EQ(m_held.size(), 0u);
    EXPECT_TRUE(g_widget_type.instances.empty());
    EXPECT_EQ(DefReader(vm(), resource->get_def()).integer("colour", 0), 3);
    auto another = load_resource_from_def(g_widget_type, evaluate("return inline_def;"));
    EXPECT_NE(resource.get(), another.get());
}

TEST_F(ResourceRegistryTest, InlineDefFailuresUseTheNamelessMessages) {
    EXPECT_FALSE(load_resource_from_def(g_widget_type, evaluate("return { fail = 1 };")));
    EXPECT_TRUE(logged("Widget '' failed to load."));
    EXPECT_TRUE(logged("Can't load widget from custom def."));
    EXPECT_FALSE(load_resource_from_def(g_gadget_type, evaluate("return {};")));
    EXPECT_TRUE(logged("Can't load gadget, class can be omit if there is only one implementation class. Please "
                       "contant the programmer."));
    EXPECT_FALSE(load_resource_from_def(g_gadget_type, evaluate("return { _class = \"Huge\" };")));
    EXPECT_TRUE(logged("Can't load gadget, class 'Huge' implementing this resource was not found."));
}

TEST_F(ResourceRegistryTest, AStringGivenAsDefIsAName) {
    run("g_widget_defs.lamp <- {};");
    auto by_value = load_resource_from_def(g_widget_type, evaluate("return \"lamp\";"));
    auto by_name = load_resource(g_widget_type, "lamp");
    ASSERT_TRUE(by_value);
    EXPECT_EQ(by_value.get(), by_name.get());
    EXPECT_FALSE(load_resource_from_def(g_widget_type, evaluate("return \"desk\";")));
    EXPECT_TRUE(logged("Can't load widget 'desk', def not found."));
}

TEST_F(ResourceRegistryTest, DefineCreatesANamedDefAndWarnsWhenReplacing) {
    ScriptObject def = define_resource(g_widget_type, "shelf");
    ASSERT_EQ(def.type(), OT_TABLE);
    EXPECT_EQ(evaluate_string("return g_widget_defs.shelf._name;"), "shelf");
    EXPECT_FALSE(logged("Overriding widget def 'shelf'."));
    run("g_widget_defs.shelf.marker <- 1;");
    define_resource(g_widget_type, "shelf");
    EXPECT_TRUE(logged("Overriding widget def 'shelf'."));
    EXPECT_FALSE(evaluate_bool("return \"marker\" in g_widget_defs.shelf;"));
    EXPECT_TRUE(load_resource(g_widget_type, "shelf"));
}

TEST_F(ResourceRegistryTest, CacheResourceLoadsAndHoldsOrExplains) {
    run("g_widget_defs.lamp <- {}; System.cache_resource(\"widget\", \"lamp\");");
    EXPECT_EQ(Widget::loads, 1);
    EXPECT_EQ(m_held.size(), 1u);
    auto lamp = load_resource(g_widget_type, "lamp");
    EXPECT_EQ(Widget::loads, 1);
    run("System.cache_resource(\"widgets\", \"lamp\");");
    EXPECT_TRUE(logged("Can't cache resource 'lamp', unknown resource type 'widgets'."));
    run("System.cache_resource(\"widget\", \"desk\");");
    EXPECT_TRUE(logged("Can't load widget 'desk', def not found."));
    EXPECT_EQ(error_of("System.cache_resource(\"widget\")"), "Expecting string.");
    EXPECT_EQ(error_of("System.cache_resource(1, \"lamp\")"), "Expecting string.");
    EXPECT_EQ(error_of("System.cache_resource(\"widget\", null)"), "Expecting string.");
}

TEST_F(ResourceRegistryTest, DestroyedResourceLeavesOnlyItsOwnEntry) {
    auto first = load_resource_from_def(g_widget_type, evaluate("return {};"));
    first->set_name(std::string("spare"));
    EXPECT_EQ(g_widget_type.instances.at("spare"), first.get());
    auto second = load_resource_from_def(g_widget_type, evaluate("return {};"));
    second->set_name(std::string("spare"));
    first.reset();
    ASSERT_EQ(g_widget_type.instances.count("spare"), 1u);
    EXPECT_EQ(g_widget_type.instances.at("spare"), second.get());
    second.reset();
    EXPECT_EQ(g_widget_type.instances.count("spare"), 0u);
}

TEST_F(ResourceRegistryTest, ANamedResourceWithoutDefReadsTheCurrentDefsEntry) {
    run("g_widget_defs.lamp <- { colour = 1 };");
    ResourceRef<ResourceObject> lamp(new Widget());
    lamp->set_name(std::string("lamp"));
    EXPECT_EQ(DefReader(vm(), lamp->get_def()).integer("colour", 0), 1);
    run("g_widget_defs.lamp <- { colour = 2 };");
    EXPECT_EQ(DefReader(vm(), lamp->get_def()).integer("colour", 0), 2);
    ResourceRef<ResourceObject> nameless(new Widget());
    EXPECT_TRUE(nameless->get_def().is_null());
}

TEST_F(ResourceRegistryTest, EnsureLoadedAttemptsOnce) {
    ResourceRef<ResourceObject> widget(new Widget());
    widget->set_name_and_def(std::nullopt, evaluate("return { fail = true };"));
    EXPECT_FALSE(widget->ensure_loaded());
    EXPECT_FALSE(widget->ensure_loaded());
    EXPECT_EQ(Widget::loads, 1);
    EXPECT_TRUE(widget->has_state(ResourceObject::Failed));
    EXPECT_FALSE(widget->has_state(ResourceObject::Loaded));
}

TEST_F(ResourceRegistryTest, ScriptsMayDeriveFromResourceObject) {
    EXPECT_EQ(evaluate_string("class Lamp extends ResourceObject { function shine() { return \"on\"; } }"
                              "return Lamp().shine();"),
              "on");
    EXPECT_EQ(evaluate_string("return typeof ResourceObject();"), "instance");
}

TEST_F(ResourceRegistryTest, DefReadersConvertOrFallBack) {
    ScriptObject def = evaluate(
        "return { no = null, off = false, zero = 0, fzero = 0.0, on = true, one = 1, text = \"x\", list = [1],"
        "table = {}, half = -2.75, big = 7 };");
    DefReader reader(vm(), def);
    for (const char* key : {"no", "off", "zero", "fzero"})
        EXPECT_FALSE(reader.boolean(key, true)) << key;
    for (const char* key : {"on", "one", "text", "list", "half"})
        EXPECT_TRUE(reader.boolean(key, false)) << key;
    EXPECT_TRUE(reader.boolean("missing", true));
    EXPECT_EQ(reader.integer("half", 9), -2);
    EXPECT_EQ(reader.integer("big", 9), 7);
    EXPECT_EQ(reader.integer("text", 9), 9);
    EXPECT_EQ(reader.integer("on", 9), 9);
    EXPECT_FLOAT_EQ(reader.floating("big", 0.5f), 7.0f);
    EXPECT_FLOAT_EQ(reader.floating("half", 0.5f), -2.75f);
    EXPECT_FLOAT_EQ(reader.floating("no", 0.5f), 0.5f);
    EXPECT_EQ(reader.string("text", "d"), "x");
    EXPECT_EQ(reader.string("one", "d"), "d");
    EXPECT_EQ(reader.table("table").type(), OT_TABLE);
    EXPECT_TRUE(reader.table("list").is_null());
    EXPECT_EQ(reader.array("list").type(), OT_ARRAY);
    EXPECT_TRUE(reader.array("table").is_null());
    DefReader not_a_table(vm(), evaluate("return [1, 2];"));
    EXPECT_EQ(not_a_table.integer("0", 4), 4);
    EXPECT_EQ(not_a_table.string("x"), "");
}

}  // namespace
}  // namespace me
