#pragma once
// The system's messages: a broadcaster offers each message to its listeners in ascending order
// until one takes it. Listeners are not owned.
#include <cstdint>
#include <map>

namespace vemora {

class dxListener {
public:
    virtual ~dxListener() = default;
    // True when the message was taken.
    virtual bool listener_message(int32_t, void*) { return false; }
};

class dxBroadcaster {
public:
    virtual ~dxBroadcaster() = default;

    // Adds the listener under order; one already present moves there.
    void broadcaster_to(dxListener* listener, int32_t order);
    void remove_listener(dxListener* listener);
    bool find_listener(dxListener* listener) const;
    bool broadcaster_message(int32_t message, void* data);

private:
    std::multimap<int32_t, dxListener*> listeners_;
};

} // namespace vemora
