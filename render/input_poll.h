// The input poll: painting loops ask it between expensive steps whether the
// user wants out, so that a key press or a mouse click closes the saver
// without waiting for the frame to finish. Only every interval-th call asks
// the host; the calls in between answer what the last real poll latched.
#pragma once

struct TInputPoll;
class TPaintCanvas;

bool UserWantsOut(TInputPoll& poll);
bool UserWantsOut(TPaintCanvas& canvas);
// A real poll now, whatever the counter says (the counter is reset).
bool UserWantsOutNow(TInputPoll& poll);
