#include "network/state_transcript.h"

#include "network/state_dump_writer.h"

namespace me {

std::string StateTranscript::ref_text(uint16_t stored) const {
    if (stored == 0)
        return "null";
    if (stored > m_object_classes.size())
        return "?";
    return StateDumpWriter::ref_text(m_object_classes[stored - 1u], stored - 1);
}

}  // namespace me
