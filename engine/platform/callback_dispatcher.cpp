#include "platform/callback_dispatcher.h"

#include <algorithm>

namespace me::platform {

CallbackDispatcher::ListenerId CallbackDispatcher::add(size_t kind,
                                                       std::function<void(const Notification&)> deliver) {
    ListenerId id = m_next_id++;
    m_listeners.push_back({id, kind, std::move(deliver)});
    return id;
}

void CallbackDispatcher::remove_listener(ListenerId id) {
    std::erase_if(m_listeners, [id](const Listener& listener) { return listener.id == id; });
}

void CallbackDispatcher::cancel_call_result(CallHandle call) {
    std::erase_if(m_call_results, [call](const CallResult& result) { return result.call == call; });
}

void CallbackDispatcher::post(Notification notification) {
    m_queue.push_back({std::move(notification), kNoCall, false});
}

void CallbackDispatcher::post_call_result(CallHandle call, Notification result, bool io_failure) {
    m_queue.push_back({std::move(result), call, io_failure});
}

void CallbackDispatcher::run() {
    std::deque<Pending> due;
    due.swap(m_queue);
    for (const Pending& pending : due) {
        if (pending.call == kNoCall)
            deliver_notification(pending.notification);
        else
            deliver_call_result(pending);
    }
}

// Listeners may add or remove listeners while they run: the ones due are
// chosen first, and each is looked up again before it is called.
void CallbackDispatcher::deliver_notification(const Notification& notification) {
    std::vector<ListenerId> due;
    for (const Listener& listener : m_listeners)
        if (listener.kind == notification.index())
            due.push_back(listener.id);
    for (ListenerId id : due) {
        auto found = std::find_if(m_listeners.begin(), m_listeners.end(),
                                  [id](const Listener& listener) { return listener.id == id; });
        if (found == m_listeners.end())
            continue;
        auto deliver = found->deliver;
        deliver(notification);
    }
}

void CallbackDispatcher::deliver_call_result(const Pending& pending) {
    auto found = std::find_if(m_call_results.begin(), m_call_results.end(),
                              [&](const CallResult& result) { return result.call == pending.call; });
    if (found == m_call_results.end())
        return;
    auto deliver = std::move(found->deliver);
    m_call_results.erase(found);
    deliver(pending.notification, pending.io_failure);
}

}  // namespace me::platform
