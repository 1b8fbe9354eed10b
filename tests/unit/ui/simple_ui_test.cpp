#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "binding_test_vm.h"
#include "simple_ui_test_screen.h"
#include "ui/simple_ui.h"

namespace me {
namespace {

using simpleui::SimpleUI;
using simpleui::SimpleUIWidget;

// The menu screen of simple_ui_test_screen.h with the pointers placed
// directly in the application's input state, as the event pump leaves them.
class SimpleUITest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        application().screen_width = 640;
        application().screen_height = 480;
        evaluate(test::kTracedWidgets);
    }

    void TearDown() override {
        evaluate("::ui <- null; ::menu <- null; ::overlay <- null; return null;");
        BindingTest::TearDown();
    }

    void move_mouse(float x, float y) {
        application().mouse_xf = x;
        application().mouse_yf = y;
    }

    std::string take_trace() {
        const std::string trace = evaluate_string("return ::trace;");
        evaluate("::trace = \"\"; return null;");
        return trace;
    }

    // The trace of ui.<call> and what it returned.
    std::string run(const std::string& call) {
        const bool handled = evaluate_bool("return ::ui." + call + ";");
        return take_trace() + (handled ? "handled" : "not handled");
    }

    void update() { evaluate("::ui.update(0.016); return null;"); }

    SimpleUI& ui() { return *native_of<SimpleUI>(evaluate("return ::ui;")); }
    SimpleUIWidget* widget(const std::string& name) { return native_of<SimpleUIWidget>(evaluate("return ::" + name)); }
};

TEST_F(SimpleUITest, PointerKeysReachTheTopmostWidgetThatTakesPointers) {
    struct Case {
        float x, y;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {60, 40, "button down 178;handled"},       // under a void label
        {10, 10, "popup down 178;handled"},        // the later layer first
        {49, 49, "popup down 178;handled"},
        {50, 49, "button down 178;handled"},       // edges are half-open
        {60, 50, "panel down 178;handled"},
        {199, 199, "panel down 178;handled"},
        {200, 199, "not handled"},                  // only the root is there
        {320, 20, "locked down 178;handled"},      // disabled: over its child
        {350, 250, "back down 178;handled"},       // through the void ghost
        {50, 350, "not handled"},                   // hidden
        {410, 310, "item down 178;handled"},       // scrolled content
        {450, 350, "scroller down 178;handled"},
        {-1, 10, "not handled"},
    };
    for (const Case& c : cases) {
        move_mouse(c.x, c.y);
        EXPECT_EQ(run("handle_key_down(MOUSE_LEFT)"), c.expected) << c.x << "," << c.y;
    }
    move_mouse(60, 40);
    EXPECT_EQ(run("handle_key_up(MOUSE_RIGHT)"), "button up 179;handled");
    for (const char* key : {"KEY_A", "KEY_ENTER", "MOUSE_MIDDLE", "MOUSE_WHEEL_UP", "KEY_NONE"})
        EXPECT_EQ(run(std::string("handle_key_down(") + key + ")"), "not handled") << key;
}

TEST_F(SimpleUITest, TouchKeysUseTheTouchPositionNotTheMouse) {
    move_mouse(60, 40);
    application().touch_positions[1] = {410, 310};
    EXPECT_EQ(run("handle_key_down(TOUCH_1)"), "item down 210;handled");
    EXPECT_EQ(evaluate_integer("return ::item.mouse_index_from_key(TOUCH_3);"), 5);
    EXPECT_EQ(evaluate_integer("return ::item.mouse_index_from_key(MOUSE_RIGHT);"), 1);
    EXPECT_EQ(evaluate_integer("return ::item.mouse_index_from_key(KEY_SPACE);"), -1);
}

TEST_F(SimpleUITest, HoverMovesOldWidgetFirstAndTheRightButtonFollowsTheLeft) {
    move_mouse(60, 40);
    update();
    EXPECT_EQ(take_trace(), "button hover 0 true;button hover 1 true;");
    EXPECT_TRUE(evaluate_bool("return ::button.is_mouse_hovering(0) && ::button.is_mouse_hovering(1);"));
    update();
    EXPECT_EQ(take_trace(), "");
    move_mouse(150, 150);
    update();
    EXPECT_EQ(take_trace(), "button hover 0 false;panel hover 0 true;button hover 1 false;panel hover 1 true;");
    EXPECT_FALSE(evaluate_bool("return ::button.is_any_mouse_hovering();"));
    EXPECT_TRUE(evaluate_bool("return ::panel.is_any_mouse_hovering();"));
    move_mouse(600, 10);
    update();
    EXPECT_EQ(take_trace(), "panel hover 0 false;panel hover 1 false;");
    EXPECT_EQ(ui().hovered(0), nullptr);
}

TEST_F(SimpleUITest, ATouchHoversOnlyWhileItIsDown) {
    application().touch_positions[0] = {410, 310};
    move_mouse(600, 10);
    update();
    EXPECT_EQ(take_trace(), "");
    application().key_states[kTouch0] = Application::kKeyDown;
    update();
    EXPECT_EQ(take_trace(), "item hover 2 true;");
    application().key_states[kTouch0] = 0;
    update();
    EXPECT_EQ(take_trace(), "item hover 2 false;");
}

TEST_F(SimpleUITest, UpdateRunsLayersInOrderParentsBeforeChildren) {
    evaluate("::trace_updates = true; ::overlay.get_root_widget().set_hidden(true); return null;");
    move_mouse(600, 470);
    update();
    EXPECT_EQ(take_trace(),
              "panel update;button update;locked update;inner update;back update;ghost update;hidden update;"
              "scroller update;item update;");
}

TEST_F(SimpleUITest, ACapturedPointerDeliversToItsWidgetWherever) {
    EXPECT_TRUE(evaluate_bool("return ::button.capture_mouse(0);"));
    move_mouse(350, 250);
    EXPECT_EQ(run("handle_key_up(MOUSE_LEFT)"), "button up 178;handled");
    // The other pointers are not captured.
    EXPECT_EQ(run("handle_key_up(MOUSE_RIGHT)"), "back up 179;handled");
    EXPECT_FALSE(evaluate_bool("return ::back.release_mouse(0);"));
    EXPECT_TRUE(evaluate_bool("return ::button.release_mouse(0);"));
    EXPECT_FALSE(evaluate_bool("return ::button.release_mouse(0);"));
    EXPECT_EQ(run("handle_key_up(MOUSE_LEFT)"), "back up 178;handled");
    // A widget outside any UI has nothing to capture.
    EXPECT_FALSE(evaluate_bool("return SimpleUIWidget().capture_mouse(0);"));
}

TEST_F(SimpleUITest, PointerIndicesOutsideZeroToFiveAreScriptErrorsAndCaptureNothing) {
    move_mouse(350, 250);
    for (const char* index : {"-1", "6", "100", "-2147483647"}) {
        for (const char* method : {"capture_mouse", "release_mouse", "is_mouse_hovering", "mouse_to_local"}) {
            EXPECT_EQ(error_of(std::string("::button.") + method + "(" + index + ")"),
                      std::string("Mouse index ") + index + " is out of range 0 to 5.")
                << method << " " << index;
        }
        for (int pointer = 0; pointer < simpleui::kPointerCount; ++pointer)
            EXPECT_EQ(ui().capturing(pointer), nullptr) << index;
        EXPECT_EQ(run("handle_key_up(MOUSE_LEFT)"), "back up 178;handled");
    }
    EXPECT_EQ(error_of("::button.capture_mouse(\"0\")"), "Expecting integer.");
    EXPECT_TRUE(evaluate_bool("return ::button.capture_mouse(5.9);"));
    EXPECT_EQ(ui().capturing(5), widget("button"));
}

TEST_F(SimpleUITest, AHoveredWidgetThatDiesIsForgottenWithoutACallback) {
    move_mouse(60, 40);
    update();
    take_trace();
    evaluate("::watch <- ::button.weakref(); ::button.remove_from_parent_widget(); ::button = null; return null;");
    EXPECT_TRUE(evaluate_bool("return ::watch.ref() == null;")) << "the button should be gone";
    EXPECT_EQ(ui().hovered(0), nullptr);
    EXPECT_EQ(ui().hovered(1), nullptr);
    update();
    EXPECT_EQ(take_trace(), "panel hover 0 true;panel hover 1 true;");
}

TEST_F(SimpleUITest, ACapturingWidgetThatDiesReleasesItsPointer) {
    evaluate("::item.capture_mouse(0); ::watch <- ::item.weakref(); "
             "::item.remove_from_parent_widget(); ::item = null; return null;");
    EXPECT_TRUE(evaluate_bool("return ::watch.ref() == null;"));
    EXPECT_EQ(ui().capturing(0), nullptr);
    move_mouse(60, 40);
    EXPECT_EQ(run("handle_key_down(MOUSE_LEFT)"), "button down 178;handled");
}

TEST_F(SimpleUITest, AWidgetMayDestroyItselfOrItsSuccessorInsideACallback) {
    evaluate(R"(
        class SelfRemoving extends Traced {
            function on_key_down(key) { ::trace += name + " leaves;"; remove_from_parent_widget(); ::quitter = null; }
            function on_hovered(pointer, on) {
                ::trace += name + " hover " + pointer + " " + on + ";";
                if (!on && ::button != null) { ::button.remove_from_parent_widget(); ::button = null; }
            }
        }
        ::quitter <- SelfRemoving("quitter", 100, 100, 50, 50);
        ::panel.add_child_widget(::quitter);
        ::watch <- ::quitter.weakref();
        return null;)");
    move_mouse(120, 120);
    update();
    EXPECT_EQ(take_trace(), "quitter hover 0 true;quitter hover 1 true;");
    // Leaving for the button: told so, the quitter destroys the button, which
    // then hears nothing.
    move_mouse(60, 40);
    update();
    EXPECT_EQ(take_trace(), "quitter hover 0 false;quitter hover 1 false;");
    update();
    EXPECT_EQ(take_trace(), "panel hover 0 true;panel hover 1 true;");
    move_mouse(120, 120);
    update();
    EXPECT_EQ(take_trace(), "panel hover 0 false;quitter hover 0 true;panel hover 1 false;quitter hover 1 true;");
    // Destroyed inside its own callback while hovered: no word to it after.
    EXPECT_EQ(run("handle_key_down(MOUSE_LEFT)"), "quitter leaves;handled");
    EXPECT_TRUE(evaluate_bool("return ::watch.ref() == null;"));
    update();
    EXPECT_EQ(take_trace(), "panel hover 0 true;panel hover 1 true;");
}

TEST_F(SimpleUITest, AWidgetCannotBecomeAChildOfItselfOrItsDescendants) {
    evaluate("::leaf <- Traced(\"leaf\", 0, 0, 5, 5); ::item.add_child_widget(::leaf); return null;");
    const std::string refusal = "error: Trying to make a SimpleUIWidget a child of itself or of one of its descendants.";
    for (const char* call : {"::scroller.add_child_widget(::scroller)", "::item.add_child_widget(::scroller)",
                             "::leaf.add_child_widget(::scroller)", "::leaf.add_child_widget(::item)"}) {
        evaluate(std::string(call) + "; return null;");
        EXPECT_TRUE(logged(refusal)) << call;
        EXPECT_EQ(widget("scroller")->parent(), widget("menu.get_root_widget()")) << call;
        EXPECT_EQ(widget("item")->parent(), widget("scroller")) << call;
        EXPECT_EQ(widget("leaf")->parent(), widget("item")) << call;
        EXPECT_EQ(widget("scroller")->child_count(), 1u) << call;
    }
    // Moving to another parent takes the widget from the first and gives it
    // the new layer.
    evaluate("::popup.add_child_widget(::item); return null;");
    EXPECT_EQ(widget("scroller")->child_count(), 0u);
    EXPECT_EQ(widget("leaf")->layer(), native_of<simpleui::SimpleUILayer>(evaluate("return ::overlay;")));
}

TEST_F(SimpleUITest, MouseToLocalFollowsFramesAndScrolling) {
    move_mouse(410, 320);
    EXPECT_EQ(evaluate_string("local p = ::scroller.mouse_to_local(0); return p[0] + \",\" + p[1];"), "60,70");
    EXPECT_EQ(evaluate_string("local p = ::item.mouse_to_local(1); return p[0] + \",\" + p[1];"), "10,20");
}

TEST_F(SimpleUITest, BadArgumentsRaiseTheirMessagesAndAMissingLayerIsLogged) {
    struct Case {
        const char* call;
        const char* error;
    };
    const std::vector<Case> cases = {
        {"::ui.add_layer(5)", "Expecting SimpleUILayer"},
        {"::ui.add_widget_to_layer(\"menu\", ::menu)", "Expecting SimpleUIWidget"},
        {"::ui.add_widget_to_layer(3, ::panel)", "Expecting string."},
        {"::ui.handle_key_down(\"a\")", "Expecting integer."},
        {"::ui.update(null)", "Expecting float."},
        {"SimpleUI.update.call(::menu, 1.0)", "Expecting SimpleUI"},
        {"SimpleUILabel.set_text.call(::panel, \"x\")", "Expecting SimpleUILabel"},
        {"SimpleUISprite.set_sprite.call(::label, null)", "Expecting SimpleUISprite"},
        {"::label.set_text(3)", "Expecting string."},
        {"::label.set_alignment(0, \"top\")", "Expecting integer."},
        {"SimpleUISprite().set_sprite(3)", "Expecting resource name or null."},
        {"::panel.set_frame_width(\"wide\")", "Expecting float."},
        {"::panel.set_color([1, 1])", "Vector array doesn't have right size."},
        {"::panel.add_child_widget(::ui)", "Expecting SimpleUIWidget"},
        {"::menu.set_name(1)", "Expecting string."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(error_of(c.call), c.error) << c.call;
    evaluate("::ui.add_widget_to_layer(\"nowhere\", ::panel); return null;");
    EXPECT_TRUE(logged("error: SimpleUI::add_widget_to_layer(): Layer 'nowhere' not found.")) << log_text();
    EXPECT_EQ(widget("panel")->layer(), native_of<simpleui::SimpleUILayer>(evaluate("return ::menu;")));
}

}  // namespace
}  // namespace me
