// Frostrun: catch the snowflakes, dodge the rest.
#include <SDL.h>

#include "loop/game_loop.h"

int main(int, char**)
{
    int answer = game_step();
    while (static_cast<char>(answer) == 'Y') {
        answer = game_step();
    }
    SDL_Quit();
    // A step answers 0 only when SDL could not start, which is a failure.
    return answer == 0 ? 1 : 0;
}
