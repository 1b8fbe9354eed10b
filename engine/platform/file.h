#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/std_file.h"
#include "script/engine_object.h"

namespace me {

// A whole file read into memory, or a file being written, in the data
// directory, the save directory or the platform's cloud. Paths stay inside
// their location. A local file is written beside its target and renamed over
// it at close, so a failed write keeps the old file; a cloud file is written
// at close. A file grows to StdFile::kMaxWholeFileSize at most, so that what
// is written can always be read back.
class File : public EngineObject {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord& class_record() const override { return kClassRecord; }

    enum class Mode { Closed = 0, Reading = 1, WritingLocal = 2, WritingCloud = 3 };

    File() = default;
    ~File() override;

    // mode "r" or "w"; location "save" or "home", "steam" (the cloud), or
    // anything else for the data directory.
    bool open(std::string_view path, std::string_view mode, std::string_view location);
    // False when finishing a written file failed or one of its writes did (its
    // target then keeps its previous content); the file is closed anyway.
    bool close();

    // The next line without its LF (and a CR before it); nothing at the end
    // or when not reading.
    std::optional<std::string> read_line();
    // Every unread byte; nothing when not reading.
    std::optional<std::string> read_rest();
    // The text and CR LF.
    bool write_line(std::string_view text);
    bool write_bytes(std::span<const uint8_t> bytes);

    Mode mode() const { return m_mode; }

    // Closes every file still being written, so that what they hold is kept
    // when the process ends before their scripts let them go.
    static void close_all_written();

    // False (with the error logged) for a path that is empty or would leave
    // its location: absolute, "..", a drive or prefix with ':', a NUL byte.
    static bool is_contained_path(std::string_view path);

private:
    bool open_for_reading(std::string_view path, std::string_view location);
    bool open_for_writing(std::string_view path, std::string_view location);
    bool append(std::string_view bytes);
    bool finish_local_file();
    bool finish_cloud_file();
    void forget_written();

    Mode m_mode = Mode::Closed;
    std::string m_buffer;  // what was read, or the cloud file's bytes
    size_t m_read_position = 0;
    StdFile m_stream;
    std::string m_target;     // the local file written at close, or the cloud name
    std::string m_temporary;  // where a local file is written until close
    int64_t m_written = 0;
    bool m_write_failed = false;
};

}  // namespace me
