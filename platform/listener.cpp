#include "platform/listener.h"

CListener::~CListener() { StopListeningToAll(); }

bool CListener::IsListeningTo(const CBroadcaster* broadcaster) const {
    return broadcasters_.IndexOf(const_cast<CBroadcaster*>(broadcaster)) >= 0;
}

void CListener::StopListening(CBroadcaster* broadcaster) {
    if (broadcaster) broadcaster->RemoveListener(this);
}

void CListener::StopListeningToAll() {
    while (broadcasters_.Count() > 0) broadcasters_[broadcasters_.Count() - 1]->RemoveListener(this);
}

CBroadcaster::~CBroadcaster() { RemoveAllListeners(); }

bool CBroadcaster::AddListener(CListener* listener) {
    if (!listener) return false;
    if (HasListener(listener)) return true;
    if (!listeners_.Append(listener)) return false;
    if (!listener->broadcasters_.Append(this)) {
        listeners_.Remove(listener);
        return false;
    }
    return true;
}

void CBroadcaster::RemoveListener(CListener* listener) {
    if (!listener) return;
    listeners_.Remove(listener);
    listener->broadcasters_.Remove(this);
}

void CBroadcaster::RemoveAllListeners() {
    while (listeners_.Count() > 0) RemoveListener(listeners_[listeners_.Count() - 1]);
}

bool CBroadcaster::HasListener(const CListener* listener) const {
    return listeners_.IndexOf(const_cast<CListener*>(listener)) >= 0;
}

void CBroadcaster::BroadcastMessage(void* event) {
    // A listener may unlink itself, others, or be destroyed while it is
    // called, so the list is walked from a copy and each listener is checked
    // against the live list before it is called.
    TTArray<CListener*> snapshot(listeners_);
    for (CListener* listener : snapshot) {
        if (HasListener(listener)) listener->ListenToMessage(event);
    }
}
