#pragma once

#include <optional>

#include "resources/resource_object.h"
#include "world/curve_table.h"

namespace me {

// The "curve" resource: keyframed values read from a def of g_curve_defs.
// A curve never changes after loading.
class Curve : public ResourceObject {
public:
    static const ClassRecord kClassRecord;

    Curve();
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool load() override;

    // Null until a load succeeded.
    const CurveTable* table() const { return m_table ? &*m_table : nullptr; }

private:
    bool load_from_def(const ScriptObject& def);

    std::optional<CurveTable> m_table;
};

}  // namespace me
