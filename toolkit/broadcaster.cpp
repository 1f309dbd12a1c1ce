#include "toolkit/broadcaster.h"

#include <vector>

namespace vemora {

void dxBroadcaster::broadcaster_to(dxListener* listener, int32_t order)
{
    if (!listener)
        return;
    remove_listener(listener);
    listeners_.emplace(order, listener);
}

void dxBroadcaster::remove_listener(dxListener* listener)
{
    for (auto it = listeners_.begin(); it != listeners_.end();)
        it = it->second == listener ? listeners_.erase(it) : std::next(it);
}

bool dxBroadcaster::find_listener(dxListener* listener) const
{
    for (const auto& entry : listeners_)
        if (entry.second == listener)
            return true;
    return false;
}

bool dxBroadcaster::broadcaster_message(int32_t message, void* data)
{
    // A snapshot, so a listener that removes itself while taking a message does not break
    // the walk; one removed by an earlier listener is skipped.
    std::vector<dxListener*> order;
    for (const auto& entry : listeners_)
        order.push_back(entry.second);
    for (dxListener* l : order) {
        if (!find_listener(l))
            continue;
        if (l->listener_message(message, data))
            return true;
    }
    return false;
}

} // namespace vemora
