#include "core/launch_options.h"

namespace me {

LaunchOptions g_launch_options;

}  // namespace me
