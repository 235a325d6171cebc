// Plays a scripted session of the real game, headless on the virtual clock,
// and writes the checksum of every presented picture:
//   frostrun_replay SCRIPT [--trace FILE] [--dump FLIP FILE.bmp] [--scale N]
// run in a folder with the two images. Standard output is the game's own.
// With --scale the game shows its pictures scaled (in a 16-bit window) and
// the checksum is that of each picture taken back to one pixel per block;
// a picture whose blocks are not all of one value stops the run.
// A script holds lines "STEP EVENT..." (events put in the queue before that
// step; step 1 is the start-up), "intro N EVENT..." (one event per pulse of
// the N-th intro; q follows them, and answers every other intro at once),
// "cost MS" (virtual time each presented picture takes), "clock MS" (start
// of the clock) and "limit STEPS"; '#' starts a comment.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "loop/game_loop.h"
#include "replay/session.h"
#include "support/fake_platform.h"
#include "support/harness.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SCRIPT [--trace FILE] [--dump FLIP FILE.bmp]\n", argv[0]);
        return 2;
    }
    std::map<int, std::vector<std::string>> at_step, at_intro;
    int limit = 100000;
    fake::Platform& fake = fake::platform();
    std::ifstream script(argv[1]);
    for (std::string line; std::getline(script, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string head, event;
        if (!(words >> head)) {
            continue;
        }
        if (head == "cost" || head == "clock" || head == "limit") {
            unsigned long value = 0;
            words >> value;
            if (head == "cost") {
                fake.frame_cost_ms = static_cast<Uint32>(value);
            } else if (head == "clock") {
                fake.clock_ms = static_cast<Uint32>(value);
            } else {
                limit = static_cast<int>(value);
            }
            continue;
        }
        auto& events = head == "intro" ? at_intro[(words >> head, std::atoi(head.c_str()))]
                                       : at_step[std::atoi(head.c_str())];
        while (words >> event) {
            if (!session::push(event, false)) {
                std::fprintf(stderr, "%s: unknown event '%s'\n", argv[1], event.c_str());
                return 2;
            }
            events.push_back(event);
        }
    }

    FILE* trace = nullptr;
    long dump_flip = -1;
    const char* dump_file = nullptr;
    int scale = 1;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--trace" && i + 1 < argc) {
            trace = std::fopen(argv[++i], "w");
        } else if (option == "--dump" && i + 2 < argc) {
            dump_flip = std::atol(argv[++i]);
            dump_file = argv[++i];
        } else if (option == "--scale" && i + 1 < argc) {
            scale = std::atoi(argv[++i]);
            set_window_options(scale, false);
        }
    }

    harness::use_dummy_drivers();
    int step = 0;
    long flips = 0;
    SDL_Surface* unscaled = scale > 1 ? SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 16, 0xF800, 0x07E0, 0x001F, 0)
                                      : nullptr;
    fake.on_flip = [&](SDL_Surface* video) {
        ++flips;
        if (scale > 1 && !session::unscale(video, scale, unscaled)) {
            std::fprintf(stderr, "picture %ld is not every pixel repeated %d x %d\n", flips, scale, scale);
            std::exit(4);
        }
        if (trace != nullptr) {
            std::fprintf(trace, "%d %016llx\n", step, session::picture_hash(scale > 1 ? unscaled : video));
        }
        if (flips == dump_flip) {
            SDL_SaveBMP(video, dump_file);
        }
    };
    session::on_intro([&](int intro, int pulse) {
        const auto& events = at_intro[intro];
        session::push(pulse <= static_cast<int>(events.size()) ? events[pulse - 1] : "q");
    });

    int answer = 'Y';
    while (static_cast<char>(answer) == 'Y') {
        if (++step > limit) {
            std::fprintf(stderr, "still playing after %d steps\n", limit);
            return 3;
        }
        for (const std::string& event : at_step[step]) {
            session::push(event);
        }
        answer = session::step();
    }
    if (trace != nullptr) {
        std::fprintf(trace, "end %d\n", step);
        std::fclose(trace);
    }
    SDL_FreeSurface(unscaled);
    SDL_Quit();
    return answer == 0 ? 1 : 0;
}
