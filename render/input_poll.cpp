#include "render/input_poll.h"

#include "platform/native.h"
#include "render/paint_canvas.h"

namespace {

bool InputWaits(const TInputPoll& poll) {
    return poll.inputPending ? poll.inputPending() : PlatformInputPending();
}

bool RealPoll(TInputPoll& poll) {
    if (!poll.enabled) return false;
    if (poll.abortLatched) return true;
    if (poll.stopArmed && poll.stopRequested) {
        poll.abortLatched = true;
        return true;
    }
    if (!poll.watchButtonsAndKeys && !poll.watchAnyInput) return false;
    // The host answers one question, "does a key, mouse button or mouse
    // movement wait?", which serves both the preview's any-input watch and
    // the saver's button-and-key watch.
    const bool answer = InputWaits(poll);
    poll.lastResult = answer;
    poll.abortLatched = answer;
    return answer;
}

}  // namespace

bool UserWantsOut(TInputPoll& poll) {
    if (!poll.enabled) return false;
    if (poll.callsSincePoll > poll.interval) {
        poll.callsSincePoll = 0;
        return RealPoll(poll);
    }
    ++poll.callsSincePoll;
    return poll.abortLatched;
}

bool UserWantsOut(TPaintCanvas& canvas) { return UserWantsOut(canvas.poll); }

bool UserWantsOutNow(TInputPoll& poll) {
    poll.callsSincePoll = 0;
    return RealPoll(poll);
}
