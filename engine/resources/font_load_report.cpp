#include "resources/font_load_report.h"

#include "core/log.h"
#include "core/log_format.h"

namespace me {

bool report_font_descriptor(const FontDescriptorResult& result, std::string_view font_name) {
    for (const std::string& warning : result.warnings)
        log_warning(warning);
    if (result.ok())
        return true;
    log_error(result.error);
    if (result.error != kEmptyFontFileMessage)
        log_error(format_message("Unable to load font '%1'.", font_name));
    return false;
}

}  // namespace me
