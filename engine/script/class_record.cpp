#include "script/class_record.h"

namespace me {

bool ClassRecord::is_kind_of(const ClassRecord& other) const {
    for (const ClassRecord* record = this; record != nullptr; record = record->base)
        if (record == &other)
            return true;
    return false;
}

}  // namespace me
