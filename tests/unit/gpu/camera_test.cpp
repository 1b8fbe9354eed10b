#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "binding_test_vm.h"
#include "gpu/camera.h"

namespace me {
namespace {

constexpr float kTolerance = 1e-4f;
constexpr float kPi = std::numbers::pi_v<float>;

void set_up_camera(Camera& camera, bool orthographic) {
    camera.set_viewport_position({100.0f, 50.0f});
    camera.set_viewport_size({1600.0f, 900.0f});
    camera.set_orthographic(orthographic);
    camera.set_canvas_size({32.0f, 18.0f});
    camera.set_near_plane(1.0f);
    camera.set_far_plane(101.0f);
}

TEST(CameraFieldOfView, MissingVerticalAngleFollowsTheViewportAspect) {
    Camera camera;
    camera.set_viewport_size({1920.0f, 1080.0f});
    camera.set_fov_angles(0.25f, 0.0f);
    EXPECT_FLOAT_EQ(camera.horizontal_fov(), 0.25f);
    EXPECT_NEAR(camera.vertical_fov(), 2.0f * std::atan(9.0f / 16.0f) / (2.0f * kPi), kTolerance);
    EXPECT_NEAR(camera.vertical_fov(), 0.163f, 0.001f);
}

TEST(CameraFieldOfView, MissingHorizontalAngleIsTheConverse) {
    Camera camera;
    camera.set_viewport_size({1920.0f, 1080.0f});
    camera.set_fov_angles(-1.0f, 0.163097f);
    EXPECT_NEAR(camera.horizontal_fov(), 0.25f, kTolerance);
    EXPECT_FLOAT_EQ(camera.vertical_fov(), 0.163097f);
}

TEST(CameraFieldOfView, GivenAnglesAreKeptAsTheyAre) {
    Camera camera;
    EXPECT_FLOAT_EQ(camera.horizontal_fov(), 1.0f / 6.0f);
    EXPECT_FLOAT_EQ(camera.vertical_fov(), 1.0f / 6.0f);
    camera.set_viewport_size({1920.0f, 1080.0f});
    camera.set_fov_angles(0.2f, 0.1f);
    EXPECT_FLOAT_EQ(camera.horizontal_fov(), 0.2f);
    EXPECT_FLOAT_EQ(camera.vertical_fov(), 0.1f);
}

TEST(CameraFieldOfView, ZeroSizeViewportDerivesZeroInsteadOfNaN) {
    Camera camera;
    camera.set_fov_angles(0.25f, 0.0f);
    EXPECT_EQ(camera.vertical_fov(), 0.0f);
    camera.set_fov_angles(0.0f, 0.2f);
    EXPECT_EQ(camera.horizontal_fov(), 0.0f);
    const Vec3 eye = camera.screen_to_eye({10.0f, 10.0f}, 5.0f);
    EXPECT_TRUE(std::isfinite(eye.x) && std::isfinite(eye.y) && std::isfinite(eye.z));
    for (float element : camera.projection().elements)
        EXPECT_TRUE(std::isfinite(element));
}

TEST(CameraProjection, PerspectiveMapsTheFrustumOntoTheDeviceCube) {
    Camera camera;
    set_up_camera(camera, false);
    camera.set_fov_angles(0.25f, 0.125f);
    const Vec3 near_centre = transform_point(camera.projection(), {0.0f, 1.0f, 0.0f});
    EXPECT_NEAR(near_centre.z, -1.0f, kTolerance);
    const Vec3 far_corner = transform_point(camera.projection(), {101.0f, 101.0f, 101.0f * std::tan(0.125f * kPi)});
    EXPECT_NEAR(far_corner.x, 1.0f, kTolerance);
    EXPECT_NEAR(far_corner.y, 1.0f, kTolerance);
    EXPECT_NEAR(far_corner.z, 1.0f, kTolerance);
}

TEST(CameraProjection, OrthographicMapsTheCanvasBoxOntoTheDeviceCube) {
    Camera camera;
    set_up_camera(camera, true);
    const Vec3 corner = transform_point(camera.projection(), {-16.0f, 101.0f, 9.0f});
    EXPECT_NEAR(corner.x, -1.0f, kTolerance);
    EXPECT_NEAR(corner.y, 1.0f, kTolerance);
    EXPECT_NEAR(corner.z, 1.0f, kTolerance);
    camera.set_canvas_size({64.0f, 18.0f});
    EXPECT_NEAR(transform_point(camera.projection(), {-16.0f, 50.0f, 0.0f}).x, -0.5f, kTolerance);
}

TEST(CameraProjection, FieldOfViewChangesOnlyReachThePerspectiveProjection) {
    Camera camera;
    set_up_camera(camera, true);
    const Matrix4 before = camera.projection();
    camera.set_fov_angles(0.3f, 0.2f);
    EXPECT_EQ(camera.projection(), before);
    camera.set_orthographic(false);
    EXPECT_NEAR(transform_point(camera.projection(), {std::tan(0.3f * kPi) * 5.0f, 5.0f, 0.0f}).x, 1.0f, kTolerance);
}

TEST(CameraScreenToEye, ScreenYPointsDownAndEyeZUp) {
    Camera camera;
    set_up_camera(camera, false);
    camera.set_fov_angles(0.25f, 0.125f);
    const Vec3 centre = camera.screen_to_eye({900.0f, 500.0f}, 10.0f);
    EXPECT_NEAR(centre.x, 0.0f, kTolerance);
    EXPECT_NEAR(centre.y, 10.0f, kTolerance);
    EXPECT_NEAR(centre.z, 0.0f, kTolerance);
    const Vec3 top_right = camera.screen_to_eye({1700.0f, 50.0f}, 10.0f);
    EXPECT_NEAR(top_right.x, 10.0f, kTolerance);
    EXPECT_NEAR(top_right.z, 10.0f * std::tan(0.125f * kPi), kTolerance);
}

TEST(CameraScreenToEye, OrthographicIgnoresDepthForTheSpread) {
    Camera camera;
    set_up_camera(camera, true);
    const Vec3 bottom_left = camera.screen_to_eye({100.0f, 950.0f}, 42.0f);
    EXPECT_NEAR(bottom_left.x, -16.0f, kTolerance);
    EXPECT_NEAR(bottom_left.y, 42.0f, kTolerance);
    EXPECT_NEAR(bottom_left.z, -9.0f, kTolerance);
}

TEST(CameraScreenToEye, ProjectingTheEyePointGivesBackTheScreenPoint) {
    for (bool orthographic : {false, true}) {
        Camera camera;
        set_up_camera(camera, orthographic);
        camera.set_fov_angles(0.2f, 0.0f);
        const Vec3 device_expected = transform_point(camera.screen_to_device(), {1300.0f, 200.0f, 0.0f});
        const Vec3 device = transform_point(camera.projection(), camera.screen_to_eye({1300.0f, 200.0f}, 30.0f));
        EXPECT_NEAR(device.x, device_expected.x, kTolerance) << orthographic;
        EXPECT_NEAR(device.y, device_expected.y, kTolerance) << orthographic;
    }
}

TEST(CameraViewport, FitSharesTheViewArithmetic) {
    Camera camera;
    camera.set_viewport_size({320.0f, 180.0f});
    camera.fit_viewport_to_screen({1920.0f, 1200.0f});
    EXPECT_FLOAT_EQ(camera.viewport().position.y, 60.0f);
    EXPECT_FLOAT_EQ(camera.viewport().size.x, 1920.0f);
    const Vec3 centre = camera.screen_to_eye({960.0f, 600.0f}, 1.0f);
    EXPECT_NEAR(centre.x, 0.0f, kTolerance);
    EXPECT_NEAR(centre.z, 0.0f, kTolerance);
}

using CameraScriptTest = test::BindingTest;

TEST_F(CameraScriptTest, PlanesPositionAndOrientationRoundTrip) {
    EXPECT_EQ(evaluate_string("local c = Camera(); local a = c.get_near_plane() + \",\" + c.get_far_plane();"
                              "c.set_near_plane(2); c.set_far_plane(50.5); c.set_position(1, 2, 3);"
                              "c.set_orientation([0, 0, 0.5, 0.25]); local p = c.get_position();"
                              "local q = c.get_orientation();"
                              "return a + \";\" + c.get_near_plane() + \",\" + c.get_far_plane() + \";\" + p[0] + p[1] "
                              "+ p[2] + \";\" + q[2] + \",\" + q[3];"),
              "0.1,1000;2,50.5;123;0.5,0.25");
    EXPECT_EQ(evaluate_string("local q = Camera().get_orientation(); return q[0] + \",\" + q[3];"), "0,1");
}

TEST_F(CameraScriptTest, ScreenToEyeTakesTheDepthAfterEitherPointForm) {
    EXPECT_EQ(evaluate_string("local c = Camera(); c.set_viewport_size(200, 100); c.set_fov_angles(0.25, 0.25);"
                              "local a = c.screen_to_eye([200, 0], 4); local b = c.screen_to_eye(0, 100, 2.0);"
                              "return a[0] + \",\" + a[1] + \",\" + a[2] + \";\" + b[0] + \",\" + b[1] + \",\" + b[2];"),
              "4,4,4;-2,2,-2");
}

TEST_F(CameraScriptTest, FitUsesTheApplicationsScreenSize) {
    application().screen_width = 1920;
    application().screen_height = 1200;
    EXPECT_EQ(evaluate_string("local c = Camera(); c.set_viewport_size(320, 180); c.fit_viewport_to_screen();"
                              "c.set_fov_angles(0.25, 0.25); local e = c.screen_to_eye(0, 60, 1);"
                              "return e[0] + \",\" + e[2];"),
              "-1,1");
}

TEST_F(CameraScriptTest, BadArgumentsRaiseTheFixedMessages) {
    evaluate("::camera <- Camera();");
    EXPECT_EQ(error_of("camera.set_near_plane(\"near\")"), "Expecting float.");
    EXPECT_EQ(error_of("camera.set_far_plane()"), "Expecting float.");
    EXPECT_EQ(error_of("camera.screen_to_eye([1, 2])"), "Expecting float.");
    EXPECT_EQ(error_of("camera.screen_to_eye(1, 2)"), "Expecting float.");
    EXPECT_EQ(error_of("camera.set_position([1, 2])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("camera.set_orientation([0, 0, null, 1])"), "Vector array element is not numeric.");
    EXPECT_EQ(error_of("camera.set_fov_angles(0.25)"), "Expecting numeric.");
    EXPECT_EQ(error_of("Camera.get_near_plane.call(View2d())"), "Expecting Camera");
    EXPECT_EQ(error_of("Camera.set_viewport_size.call(null, 1, 2)"), "Expecting Camera");
}

}  // namespace
}  // namespace me
