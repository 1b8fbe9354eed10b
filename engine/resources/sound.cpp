#include "resources/sound.h"

#include <algorithm>
#include <span>

#include "audio/audio_system.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/std_file.h"
#include "resources/resource_class.h"
#include "resources/resource_def_reader.h"
#include "resources/resource_registry.h"

namespace me {

namespace {

const ResourceClass g_sound_class(Sound::kClassRecord, resource_types::sound, make_resource<Sound>);

constexpr int32_t kMaxPitchVariation = 100;

void log_sample_error(const char* message, const SoundLibrary& library) {
    log_error(format_message(message, audio_error_code(library.last_error())));
}

std::span<const uint8_t> as_bytes(const std::string& bytes) {
    return {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
}

}  // namespace

const ClassRecord Sound::kClassRecord{"Sound", &ResourceObject::kClassRecord};

Sound::Sound() : ResourceObject(resource_types::sound) {}

Sound::~Sound() {
    if (g_audio_system == nullptr)
        return;
    for (const SampleId sample : m_samples)
        g_audio_system->library().sample_free(sample);
}

bool Sound::load() {
    const ScriptObject def = get_def();
    if (def.is_null()) {
        log_error(format_message("No def for sound '%1'.", get_name()));
        return false;
    }
    if (load_from_def(def))
        return true;
    log_error(format_message("Unable to load sound '%1'.", get_name()));
    return false;
}

bool Sound::load_from_def(const ScriptObject& def) {
    const DefReader reader(resource_vm(), def);
    const SQInteger category = reader.integer("category", 0);
    if (category < 0 || category >= AudioSystem::kCategoryCount) {
        log_error(format_message("Invalid category %1 for sound '%2'.", category, get_name()));
        return false;
    }
    const SQInteger pitch_variation = reader.integer("pitch_variation", 0);
    if (pitch_variation < 0 || pitch_variation > kMaxPitchVariation) {
        log_error(format_message("Invalid pitch_variation %1 for sound '%2'.", pitch_variation, get_name()));
        return false;
    }
    m_category = static_cast<int32_t>(category);
    m_pitch_variation = static_cast<int32_t>(pitch_variation);
    m_volume = std::clamp(reader.floating("volume", 1.0f), 0.0f, 1.0f);
    if (!read_file_names(reader.array("files"))) {
        log_error("No files for sound.");
        return false;
    }
    if (g_audio_system == nullptr || !g_audio_system->is_initialised())
        return true;
    if (reader.boolean("streaming", false)) {
        m_type = Stream;
        return true;
    }
    return load_samples(g_audio_system->library(), reader.floating("mingap", 0.0f));
}

bool Sound::read_file_names(const ScriptObject& files) {
    HSQUIRRELVM vm = resource_vm();
    if (files.type() != OT_ARRAY)
        return false;
    const SQInteger top = sq_gettop(vm);
    files.push(vm);
    const SQInteger count = sq_getsize(vm, -1);
    for (SQInteger i = 0; i < count; ++i) {
        sq_pushinteger(vm, i);
        const SQChar* name = nullptr;
        if (SQ_SUCCEEDED(sq_rawget(vm, -2)) && SQ_SUCCEEDED(sq_getstring(vm, -1, &name)))
            m_file_names.emplace_back(name);
        sq_settop(vm, top + 1);
    }
    sq_settop(vm, top);
    return !m_file_names.empty() && m_file_names.size() == static_cast<size_t>(count);
}

bool Sound::load_samples(SoundLibrary& library, float min_gap_seconds) {
    const uint32_t min_gap = min_gap_seconds > 0.0f ? static_cast<uint32_t>(min_gap_seconds * 1000.0f) : 0;
    for (const std::string& file : m_file_names)
        if (!load_sample(library, file, min_gap))
            return false;
    m_type = Sample;
    return true;
}

bool Sound::load_sample(SoundLibrary& library, const std::string& file, uint32_t min_gap) {
    const std::string path = paths::data_file(file);
    std::string bytes;
    std::string detail = "the file cannot be read";
    SampleId sample = 0;
    AudioError error = AudioError::FileOpen;
    if (StdFile::read_whole(path, bytes)) {
        sample = library.sample_load(as_bytes(bytes), kMaxSamplePlaybacks, &detail);
        error = library.last_error();
    }
    if (sample == 0) {
        log_error(format_message("Error loading Bass sample (error code %1).", audio_error_code(error)));
        log_error(format_message("Sound file '%1': %2, %3.", path, audio_error_text(error), detail));
        return false;
    }
    m_samples.push_back(sample);
    if (min_gap > 0 && !library.sample_set_min_gap(sample, min_gap)) {
        log_sample_error("Error setting mingap of Bass sample (error code %1).", library);
        return false;
    }
    return true;
}

}  // namespace me
