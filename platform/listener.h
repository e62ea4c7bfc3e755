// Listeners and broadcasters: a broadcaster keeps the listeners it informs,
// a listener the broadcasters it listens to. Linking adds each to the other's
// list; destroying either side unlinks both sides, so no list ever holds a
// dangling pointer.
#pragma once

#include "platform/tt_array.h"

class CBroadcaster;

class CListener {
public:
    CListener() = default;
    CListener(const CListener&) = delete;
    CListener& operator=(const CListener&) = delete;
    virtual ~CListener();

    // Called by each broadcaster the listener is linked to; event is the
    // toolkit's event record.
    virtual void ListenToMessage(void* event) { (void)event; }

    bool IsListeningTo(const CBroadcaster* broadcaster) const;
    int BroadcasterCount() const { return broadcasters_.Count(); }
    void StopListening(CBroadcaster* broadcaster);
    void StopListeningToAll();

private:
    friend class CBroadcaster;
    TTArray<CBroadcaster*> broadcasters_;
};

class CBroadcaster {
public:
    CBroadcaster() = default;
    CBroadcaster(const CBroadcaster&) = delete;
    CBroadcaster& operator=(const CBroadcaster&) = delete;
    virtual ~CBroadcaster();

    // Links both ways; a listener already linked is not added twice.
    bool AddListener(CListener* listener);
    void RemoveListener(CListener* listener);
    void RemoveAllListeners();
    bool HasListener(const CListener* listener) const;
    int ListenerCount() const { return listeners_.Count(); }

    // Calls ListenToMessage(event) of each listener in list order. Listeners
    // that unlink (or are destroyed) during the broadcast are not called
    // afterwards; listeners added during it are called from the next one.
    void BroadcastMessage(void* event);

private:
    friend class CListener;
    TTArray<CListener*> listeners_;
};
