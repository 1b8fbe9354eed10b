#include "network/connection_event_handler.h"

namespace me {

ConnectionEventHandler::~ConnectionEventHandler() = default;

}  // namespace me
