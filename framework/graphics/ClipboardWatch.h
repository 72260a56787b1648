#pragma once

namespace fw {

// Whether the clipboard holds a picture, learned from the clipboard's change notices
// and kept, so that readying a menu or a shortcut never waits on the clipboard. On
// X11 a program elsewhere that owns the clipboard is asked on a worker thread over a
// connection of our own: one that has stopped answering would otherwise hold the
// event loop for Qt's own timeout at every question.
class ClipboardWatch {
public:
    // What was last learned; never waits. False while an owner elsewhere has not
    // answered.
    static bool PictureAvailable();
    // True when the clipboard's owner can be read from now: at once for this program
    // or a platform whose clipboard does not wait; otherwise after asking the owner
    // elsewhere again, waiting at most kOwnerWaitMs. Only a paste waits like this.
    static bool OwnerAnswers();

    static constexpr int kOwnerWaitMs = 1500;
};

} // namespace fw
