#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets3d/anim_resource.h"
#include "assets3d/collada_node_transform.h"
#include "assets3d/model_drawer.h"
#include "assets3d/model_resource.h"
#include "assets3d/model_view.h"
#include "collada_test_documents.h"
#include "drawing_test_canvas.h"

namespace me {
namespace {

const std::string kViewerData = std::string(QUILLMOOR_TEST_IMAGES_DIR) + "/../../games/model_viewer/data/";

const char* const kLitVertex = R"(
attribute vec3 a_position;
attribute vec3 a_normal;
attribute vec2 a_texcoord;
uniform vec3 u_light;
varying vec2 v_uv;
varying float v_light;
void main() {
    gl_Position = gl_ModelViewProjectionMatrix * vec4(a_position, 1.0);
    v_light = 0.3 + 0.7 * max(dot(normalize(gl_NormalMatrix * a_normal), u_light), 0.0);
    v_uv = a_texcoord;
}
)";

const char* const kLitPixel = R"(
uniform sampler2D u_texture;
uniform vec4 u_color;
uniform vec4 u_tint[2];
uniform float u_brightness;
varying vec2 v_uv;
varying float v_light;
void main() {
    vec4 c = texture2D(u_texture, v_uv) * u_color * u_tint[0] * u_tint[1];
    gl_FragColor = vec4(c.rgb * v_light * u_brightness, c.a);
}
)";

const char* const kDefs = R"(
g_shader_defs["lit"] <- {
    attributes = [ { name = "a_position", semantic = "position", type = "vector3" },
                   { name = "a_normal", semantic = "normal", type = "vector3" },
                   { name = "a_texcoord", semantic = "texcoord", type = "vector2" } ],
    uniforms = [ { name = "u_texture", type = "texture", property_name = "diffuse" },
                 { name = "u_color", type = "vector4f", property_name = "color" },
                 { name = "u_tint", type = "vector4f[]", property_name = "tint" },
                 { name = "u_brightness", type = "float", property_name = "brightness" },
                 { name = "u_light", type = "vector3f", property_name = "light_direction", internal = true } ],
    vertex_shader = "lit.vs", pixel_shader = "lit.ps" };
g_texture_defs["bricks"] <- { file = VIEWER + "textures/bricks.png", mipmaps = false };
g_material_defs["bricks"] <- { shader = "lit", diffuse = "bricks", color = [1, 1, 1, 1],
                               tint = [[1, 1, 1, 1], [1, 1, 1, 1]], brightness = 1 };
g_material_defs["red"] <- { shader = "lit", color = [0.9, 0.2, 0.1, 1.0],
                            tint = [[1, 1, 1, 1], [1, 1, 1, 1]], brightness = 1.0 };
g_mesh_resource_defs["house"] <- { file = VIEWER + "models/house.dae" };
g_mesh_resource_defs["quad.dae"] <- {};
g_mesh_resource_defs["flat"] <- { file = "flat.dae", generate_tangents = false };
g_mesh_resource_defs["flat_tangents"] <- { file = "flat.dae" };
g_mesh_resource_defs["lost"] <- { file = "lost.dae" };
g_anim_resource_defs["spin"] <- { file = "anim.dae" };
g_anim_resource_defs["still"] <- { file = "quad.dae" };
g_anim_resource_defs["broken"] <- { file = "broken_anim.dae" };
return null;
)";

class ModelResourceTest : public test::DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        if (HasFatalFailure())
            return;
        write_file("lit.vs", kLitVertex);
        write_file("lit.ps", kLitPixel);
        write_file("quad.dae", test::kQuadDocument);
        write_file("flat.dae", test::replaced(test::kQuadDocument,
                                              "semantic=\"TEXCOORD\"", "semantic=\"COLOR\""));
        write_file("anim.dae", test::kAnimDocument);
        write_file("broken_anim.dae", test::replaced(test::kAnimDocument, "LINEAR LINEAR LINEAR", "LINEAR STEP LINEAR"));
        evaluate("::VIEWER <- \"" + kViewerData + "\"; return null;");
        evaluate(kDefs);
    }

    ResourceRef<ModelResource> load(const std::string& name, const std::string& def) {
        evaluate("g_model_defs[\"" + name + "\"] <- " + def + "; return null;");
        return load_model(name);
    }
};

TEST_F(ModelResourceTest, MaterialsGoToPartsByNameOrBySymbol) {
    struct Case {
        const char* def;
        std::vector<std::string> part_materials;
        const char* warning;
    };
    const std::vector<Case> cases{
        {R"({ mesh = "house", material = "red" })", {"red", "red"}, nullptr},
        {R"({ mesh = "house", material = { Walls = "bricks", Roof = "red" } })", {"bricks", "red"}, nullptr},
        {R"({ mesh = "house", material = { Walls = "bricks", Roof = "red", Door = "red" } })", {"bricks", "red"},
         "warning: Material 'Door' not used in any mesh part."},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.def);
        const std::string name = "house" + std::to_string(index++);
        const ResourceRef<ModelResource> model = load(name, c.def);
        ASSERT_TRUE(model) << log_text();
        EXPECT_TRUE(logged("Loading mesh 'house'.")) << log_text();
        ASSERT_EQ(model->part_materials().size(), c.part_materials.size());
        for (size_t part = 0; part < c.part_materials.size(); ++part)
            EXPECT_EQ(model->part_materials()[part]->get_name(), c.part_materials[part]);
        EXPECT_EQ(model->draw_entries().size(), 2u) << "one placement of two parts";
        if (c.warning != nullptr) {
            EXPECT_TRUE(logged(c.warning)) << log_text();
        }
    }
}

TEST_F(ModelResourceTest, ModelDefsThatCannotBeMetFailWithTheirReason) {
    struct Case {
        const char* def;
        const char* reason;
    };
    const std::vector<Case> cases{
        {R"({ material = "red" })", "error: No mesh specified for model."},
        {R"({ mesh = "house" })", "error: The def's material must be either string or table."},
        {R"({ mesh = "house", material = 5 })", "error: The def's material must be either string or table."},
        {R"({ mesh = "house", material = { Walls = 3 } })", "error: Material mapping 'Walls' invalid."},
        {R"({ mesh = "house", material = { Walls = "bricks" } })", "error: Not all mesh parts have materials assigned."},
        {R"({ mesh = "house", material = "nothing" })", "error: Can't load material 'nothing', def not found."},
        {R"({ mesh = "lost", material = "red" })", "error: Unable to load mesh resource 'lost'."},
        {R"({ mesh = "flat_tangents", material = "red" })",
         "error: Can't generate tangents and binormals because the mesh doesn't have normals and/or texture "
         "coordinates."},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.def);
        const std::string name = "broken" + std::to_string(index++);
        EXPECT_FALSE(load(name, c.def));
        EXPECT_TRUE(logged(c.reason)) << log_text();
        EXPECT_TRUE(logged("error: Unable to load model '" + name + "'."));
        EXPECT_TRUE(logged("error: Can't load model '" + name + "'."));
    }
}

TEST_F(ModelResourceTest, MeshAndAnimDefsNameTheirDocuments) {
    EXPECT_TRUE(load_mesh_resource("quad.dae")) << "the file defaults to the resource name: " << log_text();
    const ResourceRef<MeshResource> flat = load_mesh_resource("flat");
    ASSERT_TRUE(flat) << log_text();
    EXPECT_TRUE(flat->parts().at(0).tangents.empty());
    const ResourceRef<AnimResource> spin = load_anim_resource("spin");
    ASSERT_TRUE(spin) << log_text();
    EXPECT_NE(spin->track_for("Box"), nullptr);
    const ResourceRef<AnimResource> still = load_anim_resource("still");
    ASSERT_TRUE(still) << "a document without animations has no tracks";
    EXPECT_TRUE(still->tracks().empty());
    EXPECT_FALSE(load_anim_resource("broken"));
    EXPECT_TRUE(logged("error: Unsupported interpolation STEP for animation channel 'box/translate.X'."));
    EXPECT_TRUE(logged("error: Unable to load anim resource 'broken'.")) << log_text();
}

TEST_F(ModelResourceTest, MaterialValuesFollowTheShadersUniformTypes) {
    const ResourceRef<Material> bricks = load_material("bricks");
    ASSERT_TRUE(bricks) << log_text();
    EXPECT_EQ(bricks->value("color")->numbers, (std::vector<float>{1, 1, 1, 1}));
    EXPECT_EQ(bricks->value("tint")->numbers.size(), 8u);
    EXPECT_EQ(bricks->value("brightness")->numbers, std::vector<float>{1});
    EXPECT_EQ(bricks->value("diffuse")->texture->get_name(), "bricks");
    EXPECT_EQ(bricks->value("light_direction"), nullptr) << "internal properties are the drawer's";
    EXPECT_EQ(load_material("red")->value("diffuse")->texture->get_name(), "_white_");

    struct Case {
        const char* def;
        const char* reason;
    };
    const std::vector<Case> cases{
        {R"({ color = [1, 1, 1, 1] })", "error: No shader specified for material 'bad0'."},
        {R"({ shader = "lit", color = "white" })", "error: Material 'bad1' property 'color' must be an array of 4 numbers."},
        {R"({ shader = "lit", color = [1, 1, 1] })", "error: Material 'bad2' property 'color' must be an array of 4 numbers."},
        {R"({ shader = "lit", diffuse = 4 })", "error: Material 'bad3' property 'diffuse' must be a texture name or def."},
        {R"({ shader = "lit", brightness = [1] })", "error: Material 'bad4' property 'brightness' must be a number."},
        {R"({ shader = "lit", tint = [[1, 1, 1, 1], [1, 1]] })",
         "error: Material 'bad5' property 'tint' must be an array of arrays of 4 numbers."},
        {R"({ shader = "missing" })", "error: Material 'bad6' can't use shader 'missing'."},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.def);
        const std::string name = "bad" + std::to_string(index++);
        evaluate("g_material_defs[\"" + name + "\"] <- " + std::string(c.def) + "; return null;");
        EXPECT_FALSE(load_material(name));
        EXPECT_TRUE(logged(c.reason)) << log_text();
    }
}

TEST_F(ModelResourceTest, DrawsTheHouseLitAndTexturedThroughACamera) {
    const ResourceRef<ModelResource> house = load("house", R"({ mesh = "house", material = { Walls = "bricks", Roof = "red" } })");
    ASSERT_TRUE(house) << log_text();
    start_canvas(96, 96, {0.1f, 0.1f, 0.2f, 1.0f});
    Camera camera;
    camera.set_viewport_size({96, 96});
    camera.set_position({0.0f, -5.0f, 1.6f});
    // Pitched 15 degrees down about x.
    camera.set_orientation({-0.130526f, 0.0f, 0.0f, 0.991445f});
    ModelDrawer drawer(*device);
    drawer.set_light_direction({-1.0f, -2.0f, 3.0f});
    drawer.begin(camera, 96.0f);
    ASSERT_TRUE(drawer.draw(*house.get(), rotation_matrix(Vec3{0, 0, 1}, 30.0f)));
    EXPECT_EQ(device->triangles_this_frame(), 16u) << "10 wall and 6 roof triangles";
    expect_canvas_matches("model_house");
}

TEST_F(ModelResourceTest, ScriptsPlaceTurnAndDrawAModelView) {
    evaluate(R"(g_model_defs["shown"] <- { mesh = "house", material = "red" }; return null;)");
    EXPECT_FALSE(evaluate_bool(R"(return ModelView().set_model("absent");)"));
    EXPECT_TRUE(logged("error: Can't load model 'absent', def not found."));
    const ScriptObject view = evaluate(R"(
        ::view <- ModelView();
        ::view.set_position([1, 2, 3]);
        ::view.set_rotation(0.25, 0, 0);
        return ::view;)");
    ModelView* native = native_of<ModelView>(view);
    ASSERT_NE(native, nullptr);
    // A quarter turn of yaw takes x to y, then the position is added.
    const Vec3 moved = transform_point(native->world_transform(), {1, 0, 0});
    EXPECT_NEAR(moved.x, 1.0f, 1e-5f);
    EXPECT_NEAR(moved.y, 3.0f, 1e-5f);
    EXPECT_NEAR(moved.z, 3.0f, 1e-5f);
    EXPECT_FALSE(evaluate_bool("local camera = Camera(); return ::view.render(camera);")) << "no model yet";
    EXPECT_TRUE(evaluate_bool(R"(return ::view.set_model("shown");)")) << log_text();
    EXPECT_TRUE(evaluate_bool("local camera = Camera(); camera.set_viewport_size(32, 32); return ::view.render(camera);"));
    EXPECT_EQ(device->triangles_this_frame(), 16u);
    EXPECT_NE(error_of(R"(::view.set_rotation("up"))"), "no error");
    EXPECT_NE(error_of("::view.render(3)"), "no error");
}

}  // namespace
}  // namespace me
