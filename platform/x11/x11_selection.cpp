#include "platform/x11/x11_selection.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/native.h"
#include "platform/x11/x11_image.h"

namespace {

// Waits for an event that match accepts, until the deadline (tick count).
bool WaitFor(Display* d, uint32_t deadline, XEvent& event, Bool (*match)(Display*, XEvent*, XPointer), void* arg) {
    for (;;) {
        if (XCheckIfEvent(d, &event, match, reinterpret_cast<XPointer>(arg))) return true;
        const int32_t left = static_cast<int32_t>(deadline - PlatformTickCount());
        if (left <= 0) return false;
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        ::poll(&fd, 1, left);
    }
}

struct SWanted {
    Window window;
    Atom property;
};

Bool IsNotify(Display*, XEvent* e, XPointer arg) {
    const SWanted& w = *reinterpret_cast<SWanted*>(arg);
    return e->type == SelectionNotify && e->xselection.requestor == w.window;
}

Bool IsNewValue(Display*, XEvent* e, XPointer arg) {
    const SWanted& w = *reinterpret_cast<SWanted*>(arg);
    return e->type == PropertyNotify && e->xproperty.window == w.window && e->xproperty.atom == w.property &&
           e->xproperty.state == PropertyNewValue;
}

// Reads and deletes a property of 8-bit items; type is what it held.
bool TakeProperty(Display* d, Window w, Atom property, std::vector<uint8_t>& out, Atom& type) {
    out.clear();
    long offset = 0;
    for (;;) {
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* bytes = nullptr;
        if (XGetWindowProperty(d, w, property, offset, 1 << 22, False, AnyPropertyType, &type, &format, &items,
                               &after, &bytes) != Success) {
            return false;
        }
        // Format 32 items come as longs; image targets are bytes.
        const size_t size = format == 8 ? items : format == 16 ? items * 2 : items * sizeof(long);
        if (bytes) {
            out.insert(out.end(), bytes, bytes + size);
            XFree(bytes);
        }
        if (after == 0) break;
        offset += static_cast<long>(format == 8 ? items / 4 : items);
    }
    XDeleteProperty(d, w, property);
    return true;
}

// Closes the display however the read ends.
struct SDisplay {
    Display* d = XOpenDisplay(nullptr);
    ~SDisplay() {
        if (d) XCloseDisplay(d);
    }
};

}  // namespace

bool ReadSelection(const char* selection, const std::vector<std::string>& targets, int timeoutMs,
                   std::vector<uint8_t>& data, std::string& chosen) {
    SDisplay display;
    Display* d = display.d;
    if (!d) return false;
    const uint32_t deadline = PlatformTickCount() + static_cast<uint32_t>(std::max(0, timeoutMs));
    const Atom sel = XInternAtom(d, selection, False);
    if (XGetSelectionOwner(d, sel) == None) return false;
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(d, w, PropertyChangeMask);
    SWanted wanted{w, XInternAtom(d, "TF_SELECTION", False)};
    const Atom incr = XInternAtom(d, "INCR", False);
    // Some owners answer every target with their one kind of data, so the
    // owner's own list decides which target to ask for, when it gives one.
    std::vector<std::string> asked = targets;
    XConvertSelection(d, sel, XInternAtom(d, "TARGETS", False), wanted.property, w, CurrentTime);
    XFlush(d);
    XEvent event;
    if (!WaitFor(d, deadline, event, IsNotify, &wanted)) return false;
    if (event.xselection.property != None) {
        std::vector<uint8_t> list;
        Atom type = None;
        if (TakeProperty(d, w, wanted.property, list, type) && type == XA_ATOM) {
            std::vector<std::string> offered;
            for (size_t k = 0; k + sizeof(long) <= list.size(); k += sizeof(long)) {
                long atom = 0;
                std::memcpy(&atom, list.data() + k, sizeof atom);
                if (char* name = XGetAtomName(d, static_cast<Atom>(atom))) {
                    offered.push_back(name);
                    XFree(name);
                }
            }
            asked.clear();
            for (const std::string& t : targets) {
                if (std::find(offered.begin(), offered.end(), t) != offered.end()) asked.push_back(t);
            }
        }
    }
    for (const std::string& target : asked) {
        XConvertSelection(d, sel, XInternAtom(d, target.c_str(), False), wanted.property, w, CurrentTime);
        XFlush(d);
        if (!WaitFor(d, deadline, event, IsNotify, &wanted)) return false;
        if (event.xselection.property == None) continue;  // not offered
        Atom type = None;
        if (!TakeProperty(d, w, wanted.property, data, type)) continue;
        if (type == incr) {
            // Piece by piece: each deletion asks for the next; an empty piece ends it.
            std::vector<uint8_t> whole, piece;
            bool complete = false;
            while (WaitFor(d, deadline, event, IsNewValue, &wanted)) {
                if (!TakeProperty(d, w, wanted.property, piece, type)) break;
                if (piece.empty()) {
                    complete = true;
                    break;
                }
                whole.insert(whole.end(), piece.begin(), piece.end());
            }
            if (!complete) return false;
            data.swap(whole);
        }
        if (!data.empty()) {
            chosen = target;
            return true;
        }
    }
    return false;
}

namespace {

struct STransfer {
    Window requestor;
    Atom property;
    Atom target;
    const std::vector<uint8_t>* data;
    size_t offset;
};

void CloseInheritedFiles(int keep) {
    // The program's X connection in particular: while a copy of it stays
    // open here, the server would keep the ended program's windows.
    const int highest = static_cast<int>(std::min<long>(::sysconf(_SC_OPEN_MAX), 65536));
    for (int fd = 3; fd < highest; ++fd) {
        if (fd != keep) ::close(fd);
    }
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        for (int fd = 0; fd < 3; ++fd) ::dup2(null, fd);
        if (null > 2) ::close(null);
    }
}

void SendPiece(Display* d, STransfer& t, size_t chunk) {
    const size_t n = std::min(chunk, t.data->size() - t.offset);
    XChangeProperty(d, t.requestor, t.property, t.target, 8, PropModeReplace, t.data->data() + t.offset,
                    static_cast<int>(n));
    t.offset += n;
}

[[noreturn]] void Serve(const char* selection, const std::vector<SSelectionOffer>& offers, int ready) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) ::_exit(1);
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    const Atom sel = XInternAtom(d, selection, False);
    const Atom targetsAtom = XInternAtom(d, "TARGETS", False);
    const Atom incr = XInternAtom(d, "INCR", False);
    std::vector<Atom> offered{targetsAtom};
    for (const SSelectionOffer& o : offers) offered.push_back(XInternAtom(d, o.target.c_str(), False));
    XSetSelectionOwner(d, sel, w, CurrentTime);
    if (XGetSelectionOwner(d, sel) != w) ::_exit(1);
    const char byte = 1;
    (void)!::write(ready, &byte, 1);
    ::close(ready);

    // A request larger than this goes in pieces (the INCR protocol).
    const long extended = XExtendedMaxRequestSize(d);
    const size_t limit = static_cast<size_t>(extended > 0 ? extended : XMaxRequestSize(d)) * 4 - 1024;
    const size_t chunk = std::min<size_t>(limit, 256 * 1024);
    std::vector<STransfer> transfers;
    for (;;) {
        XEvent e;
        XNextEvent(d, &e);
        if (e.type == SelectionClear && e.xselectionclear.selection == sel) break;
        if (e.type == PropertyNotify && e.xproperty.state == PropertyDelete) {
            for (size_t k = 0; k < transfers.size(); ++k) {
                STransfer& t = transfers[k];
                if (t.requestor != e.xproperty.window || t.property != e.xproperty.atom) continue;
                const bool finished = t.offset >= t.data->size();
                SendPiece(d, t, chunk);  // the last piece is empty
                if (finished) transfers.erase(transfers.begin() + static_cast<long>(k));
                XFlush(d);
                break;
            }
            continue;
        }
        if (e.type != SelectionRequest) continue;
        const XSelectionRequestEvent& r = e.xselectionrequest;
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.display = d;
        reply.requestor = r.requestor;
        reply.selection = r.selection;
        reply.target = r.target;
        reply.time = r.time;
        reply.property = r.property != None ? r.property : r.target;  // an old client's request
        if (r.target == targetsAtom) {
            XChangeProperty(d, r.requestor, reply.property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered.data()), static_cast<int>(offered.size()));
        } else {
            const auto it = std::find(offered.begin() + 1, offered.end(), r.target);
            if (it == offered.end()) {
                reply.property = None;
            } else {
                const std::vector<uint8_t>& data = offers[static_cast<size_t>(it - offered.begin() - 1)].data;
                if (data.size() <= limit) {
                    XChangeProperty(d, r.requestor, reply.property, r.target, 8, PropModeReplace, data.data(),
                                    static_cast<int>(data.size()));
                } else {
                    XSelectInput(d, r.requestor, PropertyChangeMask);
                    const long size = static_cast<long>(data.size());
                    XChangeProperty(d, r.requestor, reply.property, incr, 32, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(&size), 1);
                    transfers.push_back({r.requestor, reply.property, r.target, &data, 0});
                }
            }
        }
        XSendEvent(d, r.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XFlush(d);
    }
    XCloseDisplay(d);
    ::_exit(0);
}

}  // namespace

bool ServeSelectionInBackground(const char* selection, std::vector<SSelectionOffer> offers) {
    int ready[2];
    if (::pipe(ready) != 0) return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return false;
    }
    if (child == 0) {
        // Twice forked and in a session of its own: init adopts the server,
        // and whoever signals the program's group leaves it alone.
        ::setsid();
        if (::fork() != 0) ::_exit(0);
        ::close(ready[0]);
        CloseInheritedFiles(ready[1]);
        DetachSharedImagesAfterFork();
        Serve(selection, offers, ready[1]);
    }
    ::close(ready[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    pollfd fd{ready[0], POLLIN, 0};
    char byte = 0;
    const bool owned = ::poll(&fd, 1, 1000) > 0 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    return owned;
}
