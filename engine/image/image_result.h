#pragma once

#include <optional>
#include <string>
#include <utility>

namespace me {

// The outcome of an image operation that reads untrusted bytes: a value, or
// the message that the texture loader logs when it refuses the file.
template <typename T>
class ImageResult {
public:
    static ImageResult success(T value) {
        ImageResult result;
        result.m_value.emplace(std::move(value));
        return result;
    }
    static ImageResult failure(std::string message) {
        ImageResult result;
        result.m_error = std::move(message);
        return result;
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    T& value() { return *m_value; }
    const T& value() const { return *m_value; }
    const std::string& error() const { return m_error; }

private:
    ImageResult() = default;

    std::optional<T> m_value;
    std::string m_error;
};

}  // namespace me
