#include <gtest/gtest.h>

#include <string>

#include "real_input_test.h"
#include "simple_ui_test_screen.h"

namespace me {
namespace {

// The menu screen of simple_ui_test_screen.h fed by a root that passes its
// key callbacks to the UI (keys no widget takes are traced as "free") and
// updates it every frame, with a grabber widget that captures the pointer
// it is pressed with until that pointer's key comes up.
constexpr const char* kUIRoot = R"(
    ::active <- false;
    class Grabber extends Traced {
        function on_key_down(key) { base.on_key_down(key); capture_mouse(mouse_index_from_key(key)); }
        function on_key_up(key) { base.on_key_up(key); release_mouse(mouse_index_from_key(key)); }
    }
    ::panel.add_child_widget(Grabber("grabber", 100, 100, 60, 40));
    return {
        key_down = function(code) { if (!::ui.handle_key_down(code)) ::trace += "free down " + code + ";"; }
        key_up = function(code) { if (!::ui.handle_key_up(code)) ::trace += "free up " + code + ";"; }
        update = function(dt) {
            ::ui.update(dt);
            ::active = System.is_application_active();
        }
    };
)";

class SimpleUIXTest : public test::RealInputFixture {
protected:
    std::string setup_script() const override { return test::kTracedWidgets; }
    std::string root_script() const override { return kUIRoot; }

    void SetUp() override {
        RealInputFixture::SetUp();
        if (HasFatalFailure())
            return;
        // Start-up takes the window's size into the application; this
        // fixture starts no application, so it is done here, and the
        // canvases are sized again, keeping their widgets.
        on_resolution_changed(application(), true);
        ASSERT_EQ(application().screen_width, 640);
        evaluate("::menu.init_screen_canvas(); ::overlay.init_screen_canvas(); return null;");
        // From wherever the pointer was to a place without widgets.
        move_pointer(600, 470);
        ASSERT_TRUE(run_frames_until([this] {
            return evaluate_string("local p = System.get_mouse_position(); return p[0] + \",\" + p[1];") == "600,470";
        }));
        frame();
        evaluate("::trace = \"\"; return null;");
    }

    // Waits for the part, then answers the whole trace.
    std::string trace_after(const std::string& part) {
        EXPECT_TRUE(run_frames_until_traced(part)) << part << " never came: " << trace();
        return trace();
    }
};

TEST_F(SimpleUIXTest, HoverAndClicksFollowTheRealPointer) {
    move_pointer(60, 40);
    EXPECT_EQ(trace_after("button hover 1 true;"), "button hover 0 true;button hover 1 true;");
    button(Button1, true);
    trace_after("button down 178;");
    button(Button1, false);
    trace_after("button up 178;");
    move_pointer(150, 150);
    trace_after("panel hover 1 true;");
    button(Button3, true);
    button(Button3, false);
    EXPECT_EQ(trace_after("panel up 179;"),
              "button hover 0 true;button hover 1 true;button down 178;button up 178;"
              "button hover 0 false;panel hover 0 true;button hover 1 false;panel hover 1 true;"
              "panel down 179;panel up 179;");
}

TEST_F(SimpleUIXTest, KeysAndClicksNoWidgetTakesFallThrough) {
    key(XK_a, true);
    key(XK_a, false);
    trace_after("free up 97;");
    // Over the hidden widget only the root is there.
    move_pointer(50, 350);
    button(Button1, true);
    button(Button1, false);
    EXPECT_EQ(trace_after("free up 178;"), "free down 97;free up 97;free down 178;free up 178;");
}

TEST_F(SimpleUIXTest, ACapturedPointerIsReleasedToItsGrabberAwayFromIt) {
    move_pointer(120, 120);
    trace_after("grabber hover 1 true;");
    button(Button1, true);
    trace_after("grabber down 178;");
    move_pointer(350, 250);
    trace_after("back hover 1 true;");
    button(Button1, false);
    trace_after("grabber up 178;");
    button(Button1, true);
    EXPECT_EQ(trace_after("back down 178;"),
              "grabber hover 0 true;grabber hover 1 true;grabber down 178;"
              "grabber hover 0 false;back hover 0 true;grabber hover 1 false;back hover 1 true;"
              "grabber up 178;back down 178;");
    button(Button1, false);
    trace_after("back up 178;");
}

}  // namespace
}  // namespace me
