#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "core/log.h"

namespace me {

// Interned values (render states, vertex layouts): equal requests share one
// entry, so the device compares them by address. A program uses a small fixed
// set, so the table is bounded; a request beyond it is refused with an error.
template <typename T>
class InternTable {
public:
    static constexpr size_t kCapacity = 128;

    explicit InternTable(std::string_view full_message) : m_full_message(full_message) {}

    // The entry equal to the candidate, interned on first request; null when
    // the table is full.
    const T* intern(const T& candidate) {
        for (const auto& entry : m_entries) {
            if (entry->same_settings(candidate))
                return entry.get();
        }
        if (m_entries.size() == kCapacity) {
            log_error(m_full_message);
            return nullptr;
        }
        auto entry = std::make_unique<T>(candidate);
        entry->index = static_cast<int>(m_entries.size());
        m_entries.push_back(std::move(entry));
        return m_entries.back().get();
    }
    size_t size() const { return m_entries.size(); }

private:
    std::string_view m_full_message;
    std::vector<std::unique_ptr<T>> m_entries;
};

}  // namespace me
