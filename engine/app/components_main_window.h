#pragma once

#include "app/main_window.h"

namespace me {

extern MainWindow* g_main_window;

}  // namespace me
