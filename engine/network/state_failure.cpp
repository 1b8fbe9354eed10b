#include "network/state_failure.h"

#include "core/fatal_error.h"
#include "core/log.h"

namespace me {

void fail_state(const std::string& message) {
    log_error(message);
    fatal_error(message);
}

}  // namespace me
