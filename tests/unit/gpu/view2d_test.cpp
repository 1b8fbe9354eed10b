#include <gtest/gtest.h>

#include <cmath>

#include "binding_test_vm.h"
#include "gl_test_context.h"
#include "gpu/view2d.h"
#include "gpu/view2d_gl.h"

namespace me {
namespace {

constexpr float kTolerance = 1e-3f;

void expect_point(Vec2 actual, float x, float y) {
    EXPECT_NEAR(actual.x, x, kTolerance);
    EXPECT_NEAR(actual.y, y, kTolerance);
}

void expect_viewport(const Viewport& viewport, float x, float y, float width, float height) {
    expect_point(viewport.position, x, y);
    expect_point(viewport.size, width, height);
}

// A 320 x 180 canvas shown in a 1280 x 720 viewport at (0, 0).
void set_up_view(View2d& view) {
    view.set_canvas_size({320.0f, 180.0f});
    view.set_viewport_size({1280.0f, 720.0f});
}

TEST(View2dMapping, ScreenPointsScaleOntoTheCanvasWithTheOriginTopLeft) {
    View2d view;
    set_up_view(view);
    expect_point(view.screen_to_canvas({640.0f, 360.0f}), 160.0f, 90.0f);
    expect_point(view.screen_to_canvas({0.0f, 0.0f}), 0.0f, 0.0f);
    expect_point(view.screen_to_canvas({1280.0f, 720.0f}), 320.0f, 180.0f);
    expect_point(view.canvas_to_screen({0.0f, 0.0f}), 0.0f, 0.0f);
    expect_point(view.canvas_to_screen({320.0f, 0.0f}), 1280.0f, 0.0f);
}

TEST(View2dMapping, ViewportPositionOffsetsTheScreenSide) {
    View2d view;
    set_up_view(view);
    view.set_viewport_position({100.0f, 50.0f});
    expect_point(view.screen_to_canvas({100.0f, 50.0f}), 0.0f, 0.0f);
    expect_point(view.screen_to_canvas({740.0f, 410.0f}), 160.0f, 90.0f);
    expect_point(view.canvas_to_screen({320.0f, 180.0f}), 1380.0f, 770.0f);
}

TEST(View2dMapping, ZoomShowsLessOfTheCanvasAroundTheCamera) {
    View2d view;
    set_up_view(view);
    view.set_camera_zoom({2.0f, 2.0f});
    view.set_camera_position({100.0f, 100.0f});
    expect_point(view.screen_to_canvas({640.0f, 360.0f}), 100.0f, 100.0f);
    const auto corners = view.visible_canvas_rectangle();
    expect_point(corners[0], 20.0f, 55.0f);
    expect_point(corners[1], 180.0f, 145.0f);
    const float area = (corners[1].x - corners[0].x) * (corners[1].y - corners[0].y);
    EXPECT_NEAR(area, 320.0f * 180.0f / 4.0f, 1.0f);
}

TEST(View2dMapping, UnequalZoomScalesEachAxisOnItsOwn) {
    View2d view;
    set_up_view(view);
    view.set_camera_zoom({4.0f, 1.0f});
    expect_point(view.screen_to_canvas({0.0f, 0.0f}), 120.0f, 0.0f);
}

TEST(View2dMapping, ScreenToCanvasAndBackIsTheIdentity) {
    View2d view;
    set_up_view(view);
    view.set_viewport_position({37.0f, 12.0f});
    view.set_camera_position({-50.0f, 400.0f});
    view.set_camera_zoom({0.5f, 3.0f});
    for (const Vec2 point : {Vec2{0.0f, 0.0f}, Vec2{1317.0f, 732.0f}, Vec2{-200.0f, 5000.0f}, Vec2{640.5f, 1.25f}}) {
        const Vec2 round_trip = view.canvas_to_screen(view.screen_to_canvas(point));
        EXPECT_NEAR(round_trip.x, point.x, 0.01f);
        EXPECT_NEAR(round_trip.y, point.y, 0.01f);
    }
}

TEST(View2dMapping, ChangedSettingsReachTheCachedMatrices) {
    View2d view;
    set_up_view(view);
    expect_point(view.screen_to_canvas({640.0f, 360.0f}), 160.0f, 90.0f);
    view.set_viewport_size({640.0f, 360.0f});
    expect_point(view.screen_to_canvas({640.0f, 360.0f}), 320.0f, 180.0f);
    view.set_canvas_size({640.0f, 360.0f});
    expect_point(view.screen_to_canvas({640.0f, 360.0f}), 640.0f, 360.0f);
    view.set_camera_position({0.0f, 0.0f});
    expect_point(view.screen_to_canvas({640.0f, 360.0f}), 320.0f, 180.0f);
    view.set_camera_zoom({2.0f, 2.0f});
    expect_point(view.screen_to_canvas({640.0f, 360.0f}), 160.0f, 90.0f);
    view.set_viewport_position({640.0f, 360.0f});
    expect_point(view.screen_to_canvas({640.0f, 360.0f}), -160.0f, -90.0f);
    expect_point(view.canvas_to_screen({-160.0f, -90.0f}), 640.0f, 360.0f);
    view.set_viewport_size({1280.0f, 720.0f});
    expect_point(view.canvas_to_screen({-160.0f, -90.0f}), 640.0f, 360.0f);
    expect_point(view.canvas_to_screen({0.0f, 0.0f}), 1280.0f, 720.0f);
}

TEST(View2dMapping, ZeroSizesGiveFiniteResults) {
    View2d empty;
    const Vec2 canvas = empty.screen_to_canvas({10.0f, 20.0f});
    EXPECT_TRUE(std::isfinite(canvas.x) && std::isfinite(canvas.y));
    const Vec2 screen = empty.canvas_to_screen({10.0f, 20.0f});
    EXPECT_TRUE(std::isfinite(screen.x) && std::isfinite(screen.y));

    View2d zoomed_out;
    set_up_view(zoomed_out);
    zoomed_out.set_camera_zoom({0.0f, 0.0f});
    const Vec2 flat = zoomed_out.canvas_to_screen({10.0f, 20.0f});
    EXPECT_TRUE(std::isfinite(flat.x) && std::isfinite(flat.y));
}

TEST(View2dMapping, GLProjectionPutsTheCanvasTopAtTheDeviceTop) {
    View2d view;
    set_up_view(view);
    const Vec3 top_left = transform_point(view.gl_projection() * view.view(), {0.0f, 0.0f, 0.0f});
    EXPECT_NEAR(top_left.x, -1.0f, kTolerance);
    EXPECT_NEAR(top_left.y, 1.0f, kTolerance);
}

TEST(View2dMapping, GLViewportIsMeasuredFromTheWindowBottom) {
    View2d view;
    set_up_view(view);
    view.set_viewport_position({10.0f, 20.0f});
    const GLViewportRect rect = view.gl_viewport(1000.0f);
    EXPECT_FLOAT_EQ(rect.x, 10.0f);
    EXPECT_FLOAT_EQ(rect.y, 1000.0f - 20.0f - 720.0f);
    EXPECT_FLOAT_EQ(rect.width, 1280.0f);
    EXPECT_FLOAT_EQ(rect.height, 720.0f);
}

TEST(ViewportFit, WideViewportOnATallerScreenIsLetterboxed) {
    expect_viewport(fit_viewport_to_screen({{}, {320.0f, 180.0f}}, {1920.0f, 1200.0f}), 0.0f, 60.0f, 1920.0f, 1080.0f);
}

TEST(ViewportFit, NarrowViewportOnAWideScreenIsPillarboxed) {
    expect_viewport(fit_viewport_to_screen({{}, {640.0f, 480.0f}}, {1920.0f, 1080.0f}), 240.0f, 0.0f, 1440.0f, 1080.0f);
}

TEST(ViewportFit, MatchingAspectFillsTheScreenAndShrinksToo) {
    expect_viewport(fit_viewport_to_screen({{5.0f, 5.0f}, {3200.0f, 1800.0f}}, {1280.0f, 720.0f}), 0.0f, 0.0f, 1280.0f,
                    720.0f);
}

TEST(ViewportFit, NothingToFitLeavesTheViewportAsItWas) {
    const Viewport viewport{{1.0f, 2.0f}, {320.0f, 180.0f}};
    expect_viewport(fit_viewport_to_screen(viewport, {0.0f, 0.0f}), 1.0f, 2.0f, 320.0f, 180.0f);
    expect_viewport(fit_viewport_to_screen(viewport, {1920.0f, 0.0f}), 1.0f, 2.0f, 320.0f, 180.0f);
    expect_viewport(fit_viewport_to_screen({{}, {0.0f, 180.0f}}, {1920.0f, 1080.0f}), 0.0f, 0.0f, 0.0f, 180.0f);
}

TEST(ViewportFit, CenteringKeepsTheSizeEvenWhenLargerThanTheScreen) {
    expect_viewport(center_viewport_on_screen({{7.0f, 7.0f}, {400.0f, 300.0f}}, {800.0f, 600.0f}), 200.0f, 150.0f,
                    400.0f, 300.0f);
    expect_viewport(center_viewport_on_screen({{}, {1000.0f, 300.0f}}, {800.0f, 600.0f}), -100.0f, 150.0f, 1000.0f,
                    300.0f);
}

using View2dGlTest = test::GlTest;

TEST_F(View2dGlTest, LoadingAViewSetsTheViewportFromTheBottomAndTheFlippedMatrices) {
    View2d view;
    view.set_canvas_size({320.0f, 180.0f});
    view.set_viewport_size({16.0f, 8.0f});
    view.set_viewport_position({4.0f, 2.0f});
    load_view(*device, view, static_cast<float>(kSize));
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport, (std::array<GLint, 4>{4, kSize - 2 - 8, 16, 8}));
    EXPECT_EQ(device->view_viewport_size(), (Vec2{16.0f, 8.0f}));
    EXPECT_EQ(device->view_canvas_size(), (Vec2{320.0f, 180.0f}));
    Matrix4 projection;
    glGetFloatv(GL_PROJECTION_MATRIX, projection.elements.data());
    Matrix4 model_view;
    glGetFloatv(GL_MODELVIEW_MATRIX, model_view.elements.data());
    const Vec3 top_left = transform_point(projection * model_view, {0.0f, 0.0f, 0.0f});
    EXPECT_NEAR(top_left.x, -1.0f, kTolerance);
    EXPECT_NEAR(top_left.y, 1.0f, kTolerance);
    const Vec3 bottom_right = transform_point(projection * model_view, {320.0f, 180.0f, 0.0f});
    EXPECT_NEAR(bottom_right.x, 1.0f, kTolerance);
    EXPECT_NEAR(bottom_right.y, -1.0f, kTolerance);
}

using View2dScriptTest = test::BindingTest;

TEST_F(View2dScriptTest, ScriptsMapPointsGivenAsArraysOrNumbers) {
    EXPECT_EQ(evaluate_string("local v = View2d(); v.set_virtual_resolution(320, 180);"
                              "v.set_viewport_size([1280, 720]); local p = v.screen_to_canvas([640, 360]);"
                              "local q = v.canvas_to_screen(80.0, 45);"
                              "return p.len() + \":\" + p[0] + \",\" + p[1] + \":\" + q[0] + \",\" + q[1];"),
              "2:160,90:320,180");
}

TEST_F(View2dScriptTest, FitAndCenterUseTheApplicationsScreenSize) {
    application().screen_width = 1920;
    application().screen_height = 1200;
    EXPECT_EQ(evaluate_string("local v = View2d(); v.set_canvas_size(320, 180); v.set_viewport_size(320, 180);"
                              "v.fit_viewport_to_screen(); local p = v.screen_to_canvas(0, 60);"
                              "local q = v.canvas_to_screen(320, 180); return p[0] + \",\" + p[1] + \",\" + q[0] + "
                              "\",\" + q[1];"),
              "0,0,1920,1140");
    EXPECT_EQ(evaluate_string("local v = View2d(); v.set_canvas_size(100, 100); v.set_viewport_size(100, 100);"
                              "v.center_viewport_on_screen(); local q = v.canvas_to_screen(0, 0);"
                              "return q[0] + \",\" + q[1];"),
              "910,550");
}

TEST_F(View2dScriptTest, HeadlessFitKeepsTheViewportUsable) {
    application().screen_width = 0;
    application().screen_height = 0;
    EXPECT_EQ(evaluate_string("local v = View2d(); v.set_canvas_size(320, 180); v.set_viewport_size(1280, 720);"
                              "v.fit_viewport_to_screen(); local p = v.screen_to_canvas(640, 360);"
                              "return p[0] + \",\" + p[1];"),
              "160,90");
}

TEST_F(View2dScriptTest, BadArgumentsRaiseTheFixedMessages) {
    evaluate("::view <- View2d();");
    EXPECT_EQ(error_of("view.set_viewport_size([1, 2, 3])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("view.set_camera_position([1, \"2\"])"), "Vector array element is not numeric.");
    EXPECT_EQ(error_of("view.set_camera_zoom(\"2\", 2)"), "Expecting numeric.");
    EXPECT_EQ(error_of("view.set_canvas_size(320)"), "Expecting numeric.");
    EXPECT_EQ(error_of("view.screen_to_canvas()"), "Expecting numeric.");
    EXPECT_EQ(error_of("View2d.screen_to_canvas.call({}, 1, 2)"), "Expecting View2d");
    EXPECT_EQ(error_of("View2d.fit_viewport_to_screen.call(Camera())"), "Expecting View2d");
    EXPECT_EQ(error_of("view.set_viewport_position(1, 2)"), "no error");
}

}  // namespace
}  // namespace me
