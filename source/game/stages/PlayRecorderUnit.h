#pragma once
// Records a play as a replay: attached to the box as its listener, it hears
// every action from the play's start, and at the play's end it gives the
// replay of the frames that ran, ending in the water's hash.

#include "game/stages/ReplayUnit.h"
#include "game/water/VaporelBoxUnit.h"

#include <string>

class TPlayRecorder : public TBoxListener {
public:
    // Listens to `box` (not owned) until destroyed.
    explicit TPlayRecorder(TVaporelBox& box);
    ~TPlayRecorder();
    TPlayRecorder(const TPlayRecorder&) = delete;
    TPlayRecorder& operator=(const TPlayRecorder&) = delete;

    // A new play of `stage` whose random generator stood at `seed` before the
    // box restarted; what was recorded before is dropped.
    void Begin(const std::string& stage, std::uint32_t seed);
    bool IsRecording() const { return Recording; }
    // The play so far: the actions taken before a frame that ran, and the
    // box's frame count and water hash now. Actions taken after the last
    // frame changed nothing that ran and are left out.
    TReplay Replay() const;
    // Ends the play; nothing is heard until the next Begin.
    void End() { Recording = false; }

    void ActionTaken(std::int32_t frame, const TBoxAction& action) override;

private:
    TVaporelBox& Box;
    TReplay Play;
    bool Recording = false;
};
