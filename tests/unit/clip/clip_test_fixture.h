#pragma once

#include <gtest/gtest.h>

#include <string>

#include "clip/clip.h"
#include "clip/clip_resource.h"
#include "emitter_test_fixture.h"
#include "script/script_push.h"

namespace me::test {

// A VM with the sprites of EmitterTest and the clip resource "steps":
// 1000 ticks, three keys (at 0, 500 and 1000), four columns and these
// channels:
//   0  Float  column 0   0, 100, 50        (x)
//   1  Float  constant  7                  (y)
//   2  Int    column 1   0, 1, -1          (sprite index)
//   3  Fixed  column 2   0, 10.0, 0        (raw 0, 655360, 0)
//   4  Int    column 3   0, 1, 2           (command index)
//   5  Float  constant  0.25               (alpha)
// sprites "spark" and "flash", and three commands that append their index
// (after the handler's tag) to ::fired. Its instantiator builds a clip with
// one node "body" driven by a transform, a sprite, a colour and a commands
// controller; ::handler is the command handler.
class ClipTest : public EmitterTest {
protected:
    void SetUp() override {
        EmitterTest::SetUp();
        evaluate(R"(
            ::fired <- [];
            ::handler <- { tag = "h" };
            ::steps <- ClipResource();
            steps.set_duration_in_milliseconds(10);
            steps.init_channels(3, 6, 4);
            steps.set_float_channel_data(0, 0, [0, 100, 50]);
            steps.set_float_channel_data(1, -1, [7]);
            steps.set_int_channel_data(2, 1, [0, 1, -1]);
            steps.set_fixed_channel_data(3, 2, [0, 655360, 0]);
            steps.set_int_channel_data(4, 3, [0, 1, 2]);
            steps.set_float_channel_data(5, -1, [0.25]);
            steps.set_sprite_names(["spark", "flash"]);
            steps.set_commands([function() { ::fired.append(tag + "0"); },
                                function() { ::fired.append(tag + "1"); },
                                function() { ::fired.append(tag + "2"); }]);
            steps.set_instantiator(function(resource) {
                local clip = Clip();
                clip.init(resource);
                local body = ClipObject();
                body.set_name("body");
                clip.add_child(body);
                clip.add_controller(ClipTransformChannelController(clip, body, 0, -1, -1));
                clip.add_controller(ClipSpriteChannelController(clip, body, 2));
                clip.add_controller(ClipColorChannelController(clip, body, -1, 5));
                clip.add_controller(ClipCommandsChannelController(clip, body, 4));
                clip.set_command_handler(::handler);
                return clip;
            });
            steps.finish();
            g_clip_resource_defs.steps <- { _clip_resource = steps };
            function fired_text() {
                local s = "";
                foreach (i, f in ::fired) s += (i > 0 ? " " : "") + f;
                ::fired.clear();
                return s;
            }
            return null;)");
    }

    // Clips and resources hold script objects: they go before the VM.
    void TearDown() override {
        evaluate("::steps <- null; ::clip <- null; return null;");
        EmitterTest::TearDown();
    }

    // Instantiates "steps" into ::clip.
    clip::Clip& make_steps_clip() {
        evaluate("::clip <- null; return null;");
        ResourceRef<clip::Clip> made = clip::instantiate_clip("steps");
        EXPECT_TRUE(made);
        sq_pushroottable(vm());
        sq_pushstring(vm(), "clip", -1);
        push_object<GameObject>(vm(), made.get());
        sq_newslot(vm(), -3, SQFalse);
        sq_pop(vm(), 1);
        return *made.get();
    }
};

}  // namespace me::test
