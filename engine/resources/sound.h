#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_library.h"
#include "resources/resource_object.h"

namespace me {

class DefReader;

// The "sound" resource: decoded samples, or the names of files streamed as
// they play, with the category, pitch variation and volume they play at.
// Without initialised audio a sound loads with type None and plays nothing.
class Sound : public ResourceObject {
public:
    enum Type : int32_t { None = 0, Sample = 1, Stream = 2 };
    // The number of voices one sample may play at once.
    static constexpr uint32_t kMaxSamplePlaybacks = 8;

    static const ClassRecord kClassRecord;

    Sound();
    ~Sound() override;
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool load() override;

    Type type() const { return m_type; }
    int32_t category() const { return m_category; }
    const std::vector<SampleId>& samples() const { return m_samples; }
    const std::vector<std::string>& file_names() const { return m_file_names; }
    int32_t pitch_variation() const { return m_pitch_variation; }
    float volume() const { return m_volume; }

private:
    bool load_from_def(const ScriptObject& def);
    bool read_file_names(const ScriptObject& files);
    bool load_samples(SoundLibrary& library, float min_gap_seconds);
    bool load_sample(SoundLibrary& library, const std::string& file, uint32_t min_gap);

    Type m_type = None;
    int32_t m_category = 0;
    std::vector<SampleId> m_samples;
    std::vector<std::string> m_file_names;
    int32_t m_pitch_variation = 0;
    float m_volume = 1.0f;
};

}  // namespace me
