#pragma once

#include <cstddef>
#include <cstdint>

#include "script/game_object.h"
#include "script/weak_slot.h"

namespace me::clip {

class Clip;
class ClipObject;

// Applies a clip's values to one node each time the clip's time moves. The
// node is held weakly: a controller whose node is gone is dropped by its
// clip at the next update.
class ClipController : public GameObject {
public:
    static const ClassRecord kClassRecord;

    ClipController() = default;
    const ClassRecord& class_record() const override { return kClassRecord; }

    // code: ticks advanced, or a ClipUpdateCode. False asks the clip to drop
    // the controller; the base class always asks so.
    virtual bool update(Clip& clip, int32_t code);
    // How many of the clip's values the controller reads (its highest
    // channel + 1); a clip with fewer refuses it.
    virtual size_t channel_extent() const { return 0; }

    ClipObject* target() const { return m_target.get(); }

protected:
    explicit ClipController(ClipObject& target);

private:
    WeakPointer<ClipObject> m_target;
};

}  // namespace me::clip
