#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "platform/platform_notifications.h"

namespace me::platform {

template <typename T, typename Variant>
struct VariantIndex;

template <typename T, typename... Types>
struct VariantIndex<T, std::variant<Types...>> {
    static constexpr size_t value = [] {
        constexpr bool matches[] = {std::is_same_v<T, Types>...};
        for (size_t i = 0; i < sizeof...(Types); ++i)
            if (matches[i])
                return i;
        return sizeof...(Types);
    }();
};

// Listeners for notifications and for call results, and the queue of what
// the backend has produced but not yet delivered. Nothing is delivered
// outside run(), which the frame loop calls on the main thread.
class CallbackDispatcher {
public:
    using ListenerId = uint32_t;

    // The listener receives every later notification of type T until removed.
    template <typename T>
    ListenerId add_listener(std::function<void(const T&)> listener) {
        return add(VariantIndex<T, Notification>::value,
                   [listener = std::move(listener)](const Notification& n) { listener(std::get<T>(n)); });
    }
    void remove_listener(ListenerId id);

    // The handler receives the result of that one call once; io_failure is
    // true when the call could not complete.
    template <typename T>
    void set_call_result(CallHandle call, std::function<void(const T&, bool io_failure)> handler) {
        cancel_call_result(call);
        m_call_results.push_back({call, [handler = std::move(handler)](const Notification& n, bool io_failure) {
                                      if (const T* result = std::get_if<T>(&n))
                                          handler(*result, io_failure);
                                  }});
    }
    void cancel_call_result(CallHandle call);

    void post(Notification notification);
    void post_call_result(CallHandle call, Notification result, bool io_failure = false);

    // Delivers everything posted before the call; what listeners post while
    // it runs waits for the next run.
    void run();
    size_t pending() const { return m_queue.size(); }

private:
    struct Listener {
        ListenerId id;
        size_t kind;
        std::function<void(const Notification&)> deliver;
    };
    struct CallResult {
        CallHandle call;
        std::function<void(const Notification&, bool)> deliver;
    };
    struct Pending {
        Notification notification;
        CallHandle call;  // kNoCall for a notification
        bool io_failure;
    };

    ListenerId add(size_t kind, std::function<void(const Notification&)> deliver);
    void deliver_notification(const Notification& notification);
    void deliver_call_result(const Pending& pending);

    std::vector<Listener> m_listeners;
    std::vector<CallResult> m_call_results;
    std::deque<Pending> m_queue;
    ListenerId m_next_id = 1;
};

}  // namespace me::platform
