#include "platform/platform_client.h"

namespace me::platform {

PlatformClient* g_platform = nullptr;

}  // namespace me::platform
