// A player for long headless sessions: reads the world the game exposes
// to watchers, keeps its own model of the figure (it knows every key it
// pressed) and presses at most one key per frame.
#pragma once

#include <SDL.h>

namespace autopilot {

class Pilot {
public:
    // Presses the key for the coming frame, if any. Call before game_step.
    void before_frame();
    // Follows what the frame did to the figure and the thrown object.
    void after_frame();

private:
    double plan_score(int step, int wait) const;
    void press(SDLKey key);

    int x_ = 300, y_ = 410;  // the figure as update_player moves it
    int jump_ = 0;           // jump steps left
    char direction_ = 'S', last_steer_ = 0, pressed_ = 0;
    int lives_ = 3;
    int thrown_x_ = 0;  // the thrown object, while in flight
    int was_throwing_ = 0;
};

// Puts a key-down event for `key` into SDL's queue, as a key press would.
void push_key(SDLKey key);

// Installs the fake platform hook that answers every level intro with q.
void answer_intros();

}  // namespace autopilot
