#include <gtest/gtest.h>

#include <set>
#include <string>

#include "binding_test_vm.h"
#include "core/random.h"
#include "image_test_files.h"
#include "resources/resource_list.h"
#include "resources/resource_registry.h"
#include "resources/sprite.h"
#include "resources/sprite_script.h"

namespace me {
namespace {

// Textures load without a GL context; their pixels stay pending.
class SpriteResourceTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        m_previous_list = g_resource_list;
        g_resource_list = &m_held;
        write_png("pic.png", 32, 16);
        write_png("sheet.png", 64, 64);
        define_texture("pic", "{ file = \"pic.png\", mipmaps = false }");
        define_texture("sheet", "{ file = \"sheet.png\", mipmaps = false, frame_size = [16, 16], frame_pivot = [4, 8] }");
        define_texture("big", "{ file = \"pic.png\", mipmaps = false, scale2x = true }");
        define_texture("_null_", "{ _special_ = \"_null_\" }");
    }

    // Resources hold script objects, so they go before the VM does.
    void TearDown() override {
        m_loaded.reset();
        m_held.release_all();
        BindingTest::TearDown();
        g_resource_list = m_previous_list;
    }

    void write_png(const std::string& path, uint32_t width, uint32_t height) {
        const test::Bytes pixels = test::gradient_pixels(width, height, 4);
        const test::Bytes file = test::rgba_png(width, height, pixels);
        write_file(path, std::string(file.begin(), file.end()));
    }

    void define_texture(const std::string& name, const std::string& def) {
        evaluate("g_texture_defs[\"" + name + "\"] <- " + def + "; return null;");
    }

    void define(const std::string& name, const std::string& def) {
        evaluate("g_sprite_defs[\"" + name + "\"] <- " + def + "; return null;");
    }

    // Defines name in g_sprite_defs from the table literal and loads it.
    Sprite* load(const std::string& name, const std::string& def) {
        define(name, def);
        m_loaded = load_sprite(name);
        return m_loaded.get();
    }

    // The load failed with message, and every layer said so in turn.
    bool refused(const std::string& name, const std::string& def, const std::string& message) {
        if (load(name, def) != nullptr)
            return false;
        const std::string text = log_text();
        const size_t reason = text.find(message + "\n");
        const size_t unable = text.find("Unable to load sprite '" + name + "'.\n");
        const size_t failed = text.find("Sprite '" + name + "' failed to load.\n");
        const size_t lookup = text.find("Can't load sprite '" + name + "'.\n");
        return lookup != std::string::npos && reason < unable && unable < failed && failed < lookup;
    }

    ResourceList m_held;

private:
    ResourceList* m_previous_list = nullptr;
    ResourceRef<Sprite> m_loaded;
};

void expect_corners(const Sprite& sprite, TextureCorners expected) {
    EXPECT_EQ(sprite.corners().top_left, expected.top_left);
    EXPECT_EQ(sprite.corners().top_right, expected.top_right);
    EXPECT_EQ(sprite.corners().bottom_left, expected.bottom_left);
    EXPECT_EQ(sprite.corners().bottom_right, expected.bottom_right);
}

TEST_F(SpriteResourceTest, AStaticSpriteShowsTheWholePictureByDefault) {
    Sprite* sprite = load("plain", "{ texture = \"pic\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->kind(), SpriteKind::Static);
    EXPECT_FALSE(sprite->is_animated());
    ASSERT_NE(sprite->texture(), nullptr);
    EXPECT_TRUE(sprite->has_texture());
    EXPECT_FALSE(sprite->is_special_texture());
    EXPECT_EQ(sprite->rectangle(), (SpriteRect{0, 0, 32, 16}));
    EXPECT_EQ(sprite->size(), (Vec2{32, 16}));
    EXPECT_EQ(sprite->pivot(), (Vec2{0, 0}));
    expect_corners(*sprite, {{0, 0}, {1, 0}, {0, 1}, {1, 1}});
    EXPECT_EQ(sprite->color(), (Color{1, 1, 1, 1}));
    EXPECT_EQ(sprite->packed_color(), 0xffffffffu);
    EXPECT_FALSE(sprite->has_border());
    EXPECT_FALSE(sprite->loops());
    EXPECT_EQ(sprite->frame_count(), 0u);
    EXPECT_TRUE(sprite->collision_circles().empty());
    EXPECT_TRUE(sprite->collision_rects().empty());

    // Halved texel scales address the picture in doubled pixels.
    sprite = load("doubled", "{ texture = \"big\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->rectangle(), (SpriteRect{0, 0, 64, 32}));
    expect_corners(*sprite, {{0, 0}, {1, 0}, {0, 1}, {1, 1}});
}

TEST_F(SpriteResourceTest, FrameRectAndPivotChooseThePartShown) {
    Sprite* sprite = load("fifth", "{ texture = \"sheet\", frame = 5, rect = [1, 1, 1, 1] }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->rectangle(), (SpriteRect{16, 16, 16, 16}));
    EXPECT_EQ(sprite->pivot(), (Vec2{0, 0}));
    expect_corners(*sprite, {{0.25f, 0.25f}, {0.5f, 0.25f}, {0.25f, 0.5f}, {0.5f, 0.5f}});

    sprite = load("past", "{ texture = \"sheet\", frame = 16, rect = [8, 4] }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->rectangle(), (SpriteRect{8, 4, 64, 64}));

    sprite = load("bottom", "{ texture = \"sheet\", rect = [0, 0, 31, 20], pivot = \"bottom\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->pivot(), (Vec2{15, 20}));
    EXPECT_EQ(sprite->size(), (Vec2{31, 20}));
    sprite = load("center", "{ texture = \"sheet\", rect = [0, 0, 31, 21], pivot = \"center\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->pivot(), (Vec2{15, 10}));
    sprite = load("given", "{ texture = \"sheet\", pivot = [3, 4.5] }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->pivot(), (Vec2{3, 4.5f}));

    sprite = load("top", "{ texture = \"sheet\", pivot = \"top\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->pivot(), (Vec2{0, 0}));
    EXPECT_TRUE(logged("warning: Don't know how to handle 'top' pivot for static sprite 'top'."));
}

TEST_F(SpriteResourceTest, MalformedShapeKeysWarnAndKeepTheirDefaults) {
    Sprite* sprite = load("odd", "{ texture = \"pic\", rect = [2, \"x\", 10], pivot = 7, border = [1, 2, 3, 4, 5] }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->rectangle(), (SpriteRect{2, 0, 10, 16}));
    EXPECT_EQ(sprite->pivot(), (Vec2{0, 0}));
    EXPECT_EQ(sprite->border(), (SpriteBorder{1, 2, 3, 4}));
    EXPECT_TRUE(logged("warning: Invalid 'rect' of sprite 'odd', defaults used where it could not be read."));
    EXPECT_TRUE(logged("warning: Invalid 'pivot' of sprite 'odd', defaults used where it could not be read."));
    EXPECT_TRUE(logged("warning: Invalid 'border' of sprite 'odd', defaults used where it could not be read."));
}

TEST_F(SpriteResourceTest, BordersFitInsideTheSprite) {
    Sprite* sprite = load("wide", "{ texture = \"sheet\", rect = [0, 0, 40, 10], border = [30, 30, 0, 0] }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->border(), (SpriteBorder{20, 20, 0, 0}));
    EXPECT_TRUE(sprite->has_border());

    sprite = load("tall", "{ texture = \"sheet\", rect = [0, 0, 40, 10], border = [-3, 5, 15, 5] }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->border(), (SpriteBorder{0, 5, 7.5f, 2.5f}));

    sprite = load("flat", "{ texture = \"sheet\", border = [0, -1, 0, 0] }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_FALSE(sprite->has_border());

    // A rectangle given mirrored still has room for its insets.
    sprite = load("backwards", "{ texture = \"sheet\", rect = [40, 0, -40, 10], border = [30, 30, 0, 0] }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->border(), (SpriteBorder{20, 20, 0, 0}));
}

TEST_F(SpriteResourceTest, MirroringFlipsMoveTheRectangleBordersAndPivot) {
    Sprite* sprite = load("left", "{ texture = \"sheet\", rect = [8, 0, 16, 16], border = [2, 6, 1, 3], pivot = [3, 5],"
                                  "flip = \"10\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->rectangle(), (SpriteRect{24, 0, -16, 16}));
    EXPECT_EQ(sprite->border(), (SpriteBorder{6, 2, 1, 3}));
    EXPECT_EQ(sprite->pivot(), (Vec2{3, 5}));
    EXPECT_EQ(sprite->size(), (Vec2{16, 16}));
    expect_corners(*sprite, {{0.375f, 0}, {0.125f, 0}, {0.375f, 0.25f}, {0.125f, 0.25f}});

    sprite = load("up", "{ texture = \"sheet\", rect = [8, 0, 16, 16], border = [2, 6, 1, 3], pivot = [3, 5],"
                        "flip = \"0101\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->rectangle(), (SpriteRect{8, 16, 16, -16}));
    EXPECT_EQ(sprite->border(), (SpriteBorder{2, 6, 3, 1}));
    EXPECT_EQ(sprite->pivot(), (Vec2{3, 11}));
    expect_corners(*sprite, {{0.125f, 0.25f}, {0.375f, 0.25f}, {0.125f, 0}, {0.375f, 0}});

    sprite = load("both", "{ texture = \"sheet\", rect = [8, 0, 16, 16], pivot = [3, 5], flip = \"1101\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->pivot(), (Vec2{13, 11}));

    // Without a mirroring character the pivot stays.
    sprite = load("pivot_only", "{ texture = \"sheet\", rect = [8, 0, 16, 16], pivot = [3, 5], flip = \"0001\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->pivot(), (Vec2{3, 5}));
    EXPECT_EQ(sprite->rectangle(), (SpriteRect{8, 0, 16, 16}));
    expect_corners(*sprite, {{0.125f, 0}, {0.375f, 0}, {0.125f, 0.25f}, {0.375f, 0.25f}});
}

TEST_F(SpriteResourceTest, SwappingAxesRotatesCornersBordersAndSize) {
    Sprite* sprite = load("turned", "{ texture = \"sheet\", rect = [0, 0, 32, 16], border = [1, 2, 3, 4],"
                                    "pivot = [3, 5], flip = \"001\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->size(), (Vec2{16, 32}));
    EXPECT_EQ(sprite->rectangle(), (SpriteRect{0, 0, 32, 16}));
    EXPECT_EQ(sprite->border(), (SpriteBorder{4, 3, 1, 2}));
    EXPECT_EQ(sprite->pivot(), (Vec2{3, 5}));
    expect_corners(*sprite, {{0, 0.25f}, {0, 0}, {0.5f, 0.25f}, {0.5f, 0}});

    sprite = load("turned_pivot", "{ texture = \"sheet\", rect = [0, 0, 32, 16], pivot = [3, 5], flip = \"0011\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->pivot(), (Vec2{11, 3}));
}

TEST_F(SpriteResourceTest, OverlongOrNonTextFlipsWarn) {
    Sprite* sprite = load("long", "{ texture = \"sheet\", rect = [0, 0, 32, 16], flip = \"10110\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_TRUE(logged("warning: Invalid format of flip for sprite 'long'."));
    EXPECT_EQ(sprite->rectangle(), (SpriteRect{32, 0, -32, 16}));
    EXPECT_EQ(sprite->size(), (Vec2{16, 32}));

    sprite = load("number", "{ texture = \"sheet\", rect = [0, 0, 32, 16], flip = 10 }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_TRUE(logged("warning: Invalid format of flip for sprite 'number'."));
    EXPECT_EQ(sprite->rectangle(), (SpriteRect{0, 0, 32, 16}));
}

TEST_F(SpriteResourceTest, ColoursArePremultipliedByTheFourthElement) {
    Sprite* sprite = load("red", "{ texture = \"pic\", color = [255, 0, 0] }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->color(), (Color{1, 0, 0, 1}));
    EXPECT_EQ(sprite->packed_color(), 0xff0000ffu);

    sprite = load("dim", "{ texture = \"pic\", color = [255, 255, 255, 102] }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_FLOAT_EQ(sprite->color().red, 0.4f);
    EXPECT_FLOAT_EQ(sprite->color().alpha, 0.4f);
    EXPECT_EQ(sprite->packed_color(), 0x66666666u);

    // Alpha 0 keeps the colour: it adds to what is behind it.
    sprite = load("glow", "{ texture = \"pic\", color = [255, 51, 0, 255, 0] }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_FLOAT_EQ(sprite->color().green, 0.2f);
    EXPECT_EQ(sprite->color().alpha, 0.0f);
    EXPECT_EQ(sprite->packed_color(), 0x000033ffu);

    sprite = load("muddled", "{ texture = \"pic\", color = [0, \"x\", 0, 255, 255, 9] }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->color(), (Color{0, 1, 0, 1}));
    EXPECT_TRUE(logged("warning: Invalid 'color' of sprite 'muddled', defaults used where it could not be read."));

    sprite = load("named", "{ texture = \"pic\", color = \"red\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->packed_color(), 0xffffffffu);
    EXPECT_TRUE(logged("warning: Invalid 'color' of sprite 'named', defaults used where it could not be read."));
}

TEST_F(SpriteResourceTest, NamedFramesShareTheDurationAndTheAnimationEnclosesThem) {
    define("a", "{ texture = \"sheet\", rect = [0, 0, 16, 16] }");
    define("b", "{ texture = \"sheet\", rect = [0, 0, 16, 16], pivot = [8, 8] }");
    define("c", "{ texture = \"sheet\", rect = [0, 0, 32, 8], pivot = [0, 4] }");
    Sprite* sprite = load("walk", "{ frames = [\"a\", \"b\", \"c\"], duration = 0.3, loop = true }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->kind(), SpriteKind::Animated);
    EXPECT_EQ(sprite->texture(), nullptr);
    EXPECT_FALSE(sprite->has_texture());
    EXPECT_TRUE(sprite->loops());
    ASSERT_EQ(sprite->frame_count(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(sprite->frame(i).duration, 0.1f);
        EXPECT_EQ(sprite->frame(i).duration_range, 0.0f);
    }
    EXPECT_EQ(sprite->frame(1).sprite.get(), load_sprite("b").get());
    EXPECT_FLOAT_EQ(sprite->duration(), 0.3f);
    EXPECT_EQ(sprite->duration_range(), 0.0f);
    EXPECT_EQ(sprite->pivot(), (Vec2{8, 8}));
    EXPECT_EQ(sprite->size(), (Vec2{40, 24}));
}

TEST_F(SpriteResourceTest, IndexedFramesComeFromTheTexture) {
    Sprite* sprite = load("spin", "{ texture = \"sheet\", frames = [0, 5, 15], duration = 0.6 }");
    ASSERT_NE(sprite, nullptr);
    ASSERT_EQ(sprite->frame_count(), 3u);
    const Sprite& fifth = *sprite->frame(1).sprite.get();
    EXPECT_EQ(fifth.rectangle(), (SpriteRect{16, 16, 16, 16}));
    EXPECT_EQ(fifth.pivot(), (Vec2{4, 8}));
    EXPECT_EQ(fifth.texture(), sprite->texture());
    expect_corners(fifth, {{0.25f, 0.25f}, {0.5f, 0.25f}, {0.25f, 0.5f}, {0.5f, 0.5f}});
    EXPECT_FLOAT_EQ(sprite->frame(2).duration, 0.2f);
    EXPECT_EQ(sprite->pivot(), (Vec2{4, 8}));
    EXPECT_EQ(sprite->size(), (Vec2{16, 16}));

    // Frame sprites are shared while anyone holds them.
    Sprite* other = load("twice", "{ texture = \"sheet\", frames = [5, 5], duration = 1 }");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->frame(0).sprite.get(), other->frame(1).sprite.get());
    EXPECT_EQ(other->frame(0).sprite.get(), load_sprite("spin")->frame(1).sprite.get());

    EXPECT_TRUE(refused("beyond", "{ texture = \"sheet\", frames = [0, 16] }",
                        "Invalid subsprite index 16 of animated sprite 'beyond'."));
    EXPECT_TRUE(refused("below", "{ texture = \"sheet\", frames = [-1] }",
                        "Invalid subsprite index -1 of animated sprite 'below'."));
    EXPECT_TRUE(refused("bare", "{ frames = [0, 1] }", "Texture required for animated sprite 'bare'."));
    EXPECT_TRUE(refused("mixed", "{ texture = \"sheet\", frames = [0, \"a\"] }",
                        "Invalid subsprite of animated sprite 'mixed'."));
}

TEST_F(SpriteResourceTest, TimedFramesAddARandomExtraEachTimeTheyAreEntered) {
    define("a", "{ texture = \"sheet\" }");
    define("b", "{ texture = \"sheet\", rect = [0, 0, 8, 8] }");
    Sprite* sprite = load("blink", "{ frames = [[\"a\", 0.5], [\"b\", 0.3, 0.2]], duration = 9 }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_FLOAT_EQ(sprite->frame(0).duration, 0.5f);
    EXPECT_EQ(sprite->frame(0).duration_range, 0.0f);
    EXPECT_FLOAT_EQ(sprite->frame(1).duration, 0.2f);
    EXPECT_FLOAT_EQ(sprite->frame(1).duration_range, 0.1f);
    EXPECT_FLOAT_EQ(sprite->duration(), 0.7f);
    EXPECT_FLOAT_EQ(sprite->duration_range(), 0.1f);

    Xorshift128 rng;
    std::set<float> drawn;
    for (int i = 0; i < 50; ++i) {
        const float duration = sprite->frame_duration(1, rng);
        EXPECT_GE(duration, 0.2f);
        EXPECT_LE(duration, 0.3f + 1e-6f);
        drawn.insert(duration);
    }
    EXPECT_GT(drawn.size(), 40u);
    EXPECT_FLOAT_EQ(sprite->frame_duration(0, rng), 0.5f);
    const float from_application = sprite->frame_duration(1);
    EXPECT_GE(from_application, 0.2f);
    EXPECT_LE(from_application, 0.3f + 1e-6f);

    sprite = load("ticks", "{ texture = \"sheet\", frames = [[0, 1], [3, 2, 4.5]] }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->frame(1).sprite->rectangle(), (SpriteRect{48, 0, 16, 16}));
    EXPECT_FLOAT_EQ(sprite->duration(), 3.0f);
    EXPECT_FLOAT_EQ(sprite->duration_range(), 2.5f);

    EXPECT_TRUE(refused("far", "{ texture = \"sheet\", frames = [[0, 1], [99, 1]] }",
                        "Invalid subsprite index of animated sprite 'far'."));
    EXPECT_TRUE(refused("loose", "{ frames = [[0, 1]] }", "Texture required for animated sprite 'loose'."));
}

TEST_F(SpriteResourceTest, MalformedFrameListsFailWithTheirMessage) {
    define("a", "{ texture = \"sheet\" }");
    EXPECT_TRUE(refused("none", "{ frames = [] }", "Empty frames not supported for animated sprite 'none'."));
    EXPECT_TRUE(refused("text", "{ frames = \"a\" }", "Empty frames not supported for animated sprite 'text'."));
    const char* invalid[] = {
        "[1.5]",           "[null]",          "[\"a\", 3]",         "[[\"a\"]]",          "[[\"a\", 1, 2, 3]]",
        "[[\"a\", \"b\"]]", "[[0, 1], [\"a\", 1]]", "[[\"a\", 1], 7]", "[[null, 1]]",     "[{}]",
    };
    int case_number = 0;
    for (const char* frames : invalid) {
        const std::string name = "bad" + std::to_string(case_number++);
        EXPECT_TRUE(refused(name, std::string("{ texture = \"sheet\", frames = ") + frames + " }",
                            "Invalid subsprite of animated sprite '" + name + "'."))
            << frames;
    }
    EXPECT_TRUE(refused("lost", "{ frames = [\"a\", \"nowhere\"] }",
                        "Can't load subsprite 'nowhere' of animated sprite 'lost'."));
    EXPECT_TRUE(logged("Can't load sprite 'nowhere', def not found."));
}

TEST_F(SpriteResourceTest, AnAnimationThatContainsItselfIsRefused) {
    EXPECT_TRUE(refused("self", "{ frames = [\"self\"] }", "Can't load subsprite 'self' of animated sprite 'self'."));
    define("ping", "{ frames = [\"pong\"] }");
    EXPECT_TRUE(refused("pong", "{ frames = [[\"ping\", 1]] }",
                        "Can't load subsprite 'ping' of animated sprite 'pong'."));
    EXPECT_TRUE(logged("Can't load subsprite 'pong' of animated sprite 'ping'."));
}

TEST_F(SpriteResourceTest, AnimatedSpritesIgnoreFlipAndPivot) {
    Sprite* sprite = load("dance", "{ texture = \"sheet\", frames = [1], flip = \"1\", pivot = \"center\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_TRUE(logged("warning: The flip is ignored for animated sprite 'dance'."));
    EXPECT_TRUE(logged("warning: The pivot is ignored for animated sprite 'dance'."));
    EXPECT_EQ(sprite->pivot(), (Vec2{4, 8}));
    EXPECT_EQ(sprite->frame(0).sprite->rectangle(), (SpriteRect{16, 0, 16, 16}));
}

TEST_F(SpriteResourceTest, CollisionShapesArePlacedAroundThePivot) {
    Sprite* sprite = load("body", "{ texture = \"sheet\", rect = [0, 0, 16, 12], pivot = [4, 2],"
                                  "ccircle = [10, 20, 5], crect = [1, 2, 3, 4] }");
    ASSERT_NE(sprite, nullptr);
    ASSERT_EQ(sprite->collision_circles().size(), 1u);
    EXPECT_EQ(sprite->collision_circles()[0], (CollisionCircle{{6, 18}, 5}));
    ASSERT_EQ(sprite->collision_rects().size(), 1u);
    EXPECT_EQ(sprite->collision_rects()[0], (CollisionRect{-3, 0, 3, 4}));

    sprite = load("own", "{ texture = \"sheet\", rect = [0, 0, 16, 12], pivot = [4, 2], crect = -1 }");
    ASSERT_NE(sprite, nullptr);
    ASSERT_EQ(sprite->collision_rects().size(), 1u);
    EXPECT_EQ(sprite->collision_rects()[0], (CollisionRect{-4, -2, 16, 12}));

    sprite = load("empty", "{ texture = \"sheet\", rect = [0, 0, 0, 0], crect = -1 }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_TRUE(sprite->collision_rects().empty());

    sprite = load("moving", "{ texture = \"sheet\", frames = [0, 1], ccircle = [4, 8, 1], crect = -1 }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_TRUE(sprite->collision_rects().empty());
    EXPECT_TRUE(logged("warning: crect ignored for for animated sprite 'moving'!"));
    ASSERT_EQ(sprite->collision_circles().size(), 1u);
    EXPECT_EQ(sprite->collision_circles()[0], (CollisionCircle{{0, 0}, 1}));
}

TEST_F(SpriteResourceTest, MalformedCollisionShapesFailTheLoad) {
    const std::string circle = "Specify x,y,radius for circle collision.";
    EXPECT_TRUE(refused("c2", "{ texture = \"sheet\", ccircle = [1, 2] }", circle));
    EXPECT_TRUE(refused("c4", "{ texture = \"sheet\", ccircle = [1, 2, 3, 4] }", circle));
    EXPECT_TRUE(refused("cs", "{ texture = \"sheet\", ccircle = [1, \"2\", 3] }", circle));
    EXPECT_TRUE(refused("cn", "{ texture = \"sheet\", ccircle = 5 }", circle));
    EXPECT_TRUE(refused("c0", "{ texture = \"sheet\", ccircle = [1, 2, 0] }",
                        "Zero or negative radius of collision circle!"));
    EXPECT_TRUE(refused("cm", "{ texture = \"sheet\", ccircle = [1, 2, -3] }",
                        "Zero or negative radius of collision circle!"));
    const std::string rect = "Specify x,y,width,height for rect collsion.";
    EXPECT_TRUE(refused("r3", "{ texture = \"sheet\", crect = [1, 2, 3] }", rect));
    EXPECT_TRUE(refused("rs", "{ texture = \"sheet\", crect = [1, 2, 3, null] }", rect));
    EXPECT_TRUE(refused("r2", "{ texture = \"sheet\", crect = -2 }", rect));
    EXPECT_TRUE(refused("rt", "{ texture = \"sheet\", crect = \"all\" }", rect));
}

TEST_F(SpriteResourceTest, MissingTexturesFailTheLoad) {
    EXPECT_TRUE(refused("ghost", "{ texture = \"missing\" }", "Sprite texture 'missing' failed to load."));
    EXPECT_TRUE(refused("blank", "{ rect = [0, 0, 4, 4] }", "No texture specified for static sprite 'blank'."));
    EXPECT_TRUE(refused("numbered", "{ texture = 7 }", "No texture specified for static sprite 'numbered'."));
}

TEST_F(SpriteResourceTest, ASpriteOfTheNullTextureIsSpecial) {
    Sprite* sprite = load("nothing", "{ texture = \"_null_\" }");
    ASSERT_NE(sprite, nullptr);
    EXPECT_TRUE(sprite->is_special_texture());
    EXPECT_EQ(sprite->size(), (Vec2{0, 0}));
}

TEST_F(SpriteResourceTest, NativeSpritesShowAFrameOrTheWholeTexture) {
    ResourceRef<Texture> big = load_texture("big");
    ASSERT_TRUE(big);
    ResourceRef<Sprite> whole = make_texture_sprite(*big.get());
    ASSERT_TRUE(whole);
    EXPECT_TRUE(whole->has_state(ResourceObject::Loaded));
    EXPECT_EQ(whole->rectangle(), (SpriteRect{0, 0, 32, 16}));
    EXPECT_EQ(whole->size(), (Vec2{64, 32}));
    EXPECT_EQ(whole->pivot(), (Vec2{0, 0}));
    expect_corners(*whole.get(), {{0, 0}, {1, 0}, {0, 1}, {1, 1}});
    EXPECT_EQ(whole->packed_color(), 0xffffffffu);

    ResourceRef<Texture> sheet = load_texture("sheet");
    ASSERT_TRUE(sheet);
    ResourceRef<Sprite> frame = make_frame_sprite(*sheet.get(), FrameRect{8, 16, 8, 32, 1, 2});
    EXPECT_EQ(frame->rectangle(), (SpriteRect{8, 16, 8, 32}));
    EXPECT_EQ(frame->size(), (Vec2{8, 32}));
    EXPECT_EQ(frame->pivot(), (Vec2{1, 2}));
    expect_corners(*frame.get(), {{0.125f, 0.25f}, {0.25f, 0.25f}, {0.125f, 0.75f}, {0.25f, 0.75f}});
    EXPECT_FALSE(texture_frame_sprite(*sheet.get(), 16));

    ResourceRef<Texture> none = load_texture("_null_");
    ASSERT_TRUE(none);
    EXPECT_TRUE(make_texture_sprite(*none.get())->is_special_texture());
}

TEST_F(SpriteResourceTest, ScriptsReceiveSpritesAndHandThemBack) {
    Sprite* sprite = load("token", "{ texture = \"pic\" }");
    ASSERT_NE(sprite, nullptr);
    push_sprite(vm(), sprite);
    EXPECT_EQ(sprite_at(vm(), -1), sprite);
    sq_pushroottable(vm());
    sq_pushstring(vm(), "token_sprite", -1);
    sq_push(vm(), -3);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(vm(), -3, SQFalse)));
    sq_pop(vm(), 2);
    EXPECT_TRUE(evaluate_bool("return token_sprite instanceof Sprite && token_sprite instanceof ResourceObject;"));

    sq_pushinteger(vm(), 3);
    EXPECT_EQ(sprite_at(vm(), -1), nullptr);
    sq_pop(vm(), 1);
    evaluate("return ResourceObject();").push(vm());
    EXPECT_EQ(sprite_at(vm(), -1), nullptr);
    sq_pop(vm(), 1);
    // Scripts cannot make a sprite of their own.
    EXPECT_EQ(error_of("Sprite()"), "Sprite can't be constructed by scripts, sprites are loaded by name.");
    evaluate("token_sprite = null; return null;");
}

}  // namespace
}  // namespace me
