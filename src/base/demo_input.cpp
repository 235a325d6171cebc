#include "base/demo_input.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "base/frame_sums.h"
#include "base/platform.h"

namespace {

constexpr Uint32 kViewerPauseMs = 20;

// Where the game reads now: frames begun, the wait, and the reads that
// found nothing in that wait of that frame; and the reads of this wait up
// to the last input played in it (-1: none yet).
int frame = 0;
InputWait wait_now = InputWait::kPlay;
int reads = 0;
int reads_at_input = -1;

int record_fd = -1;
const char* record_path = "";
char record_line[kDemoLineMax];
int recorded_window = -1;  // the window's state last written

// The window's state as the playback last gave it.
Uint8 played_window = SDL_APPMOUSEFOCUS | SDL_APPINPUTFOCUS | SDL_APPACTIVE;

const Demo* demo = nullptr;
const char* demo_path = "";
std::size_t next_index = 0;
bool timed = false;
bool finished = false;
int report_fd = -1;  // standard output as it was, for a timed playback's report
std::chrono::steady_clock::time_point started;

// The place of the read under way.
DemoPlace place_now()
{
    return {frame, wait_now, reads};
}

// Writes one whole line to the recording; on failure says so once and
// records no more, while the game goes on.
void write_record(const char* line, std::size_t size)
{
    while (size > 0 && record_fd >= 0) {
        const ssize_t written = write(record_fd, line, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            std::fprintf(stderr, "frostrun: cannot write the demo '%s': %s\n", record_path,
                         std::strerror(errno));
            close(record_fd);
            record_fd = -1;
            return;
        }
        line += written;
        size -= static_cast<std::size_t>(written);
    }
}

// The playback has shown all it holds: its report, and the run ends.
[[noreturn]] void stop_playback()
{
    finish_playback();
    std::exit(0);
}

// The viewer's keys: q, Escape and the close button stop the playback; p
// and space pause it until pressed again. Nothing else reaches the game.
void watch_viewer()
{
    bool paused = false;
    do {
        SDL_Event event;
        while (platform::poll_event(&event) != 0) {
            if (event.type == SDL_QUIT) {
                stop_playback();
            }
            if (event.type != SDL_KEYDOWN) {
                continue;
            }
            const SDLKey key = event.key.keysym.sym;
            if (key == SDLK_q || key == SDLK_ESCAPE) {
                stop_playback();
            }
            if (key == SDLK_p || key == SDLK_SPACE) {
                paused = !paused;
            }
        }
        if (paused) {
            platform::delay(kViewerPauseMs);
        }
    } while (paused);
}

// A demo that no longer fits the game (edited by hand, or recorded by a
// game that differs): said once, and the playback ends as a failure.
[[noreturn]] void out_of_step()
{
    std::fprintf(stderr, "frostrun: demo '%s': out of step with the game at frame %d\n",
                 demo_path, static_cast<int>(frame));
    finish_playback();
    std::exit(1);
}

// In a wait, which only an input ends, with no input left: the recording
// stopped in this very wait (the playback ends once it has shown as many
// reads), or the demo lacks the input that ended it.
void check_wait_without_input()
{
    const InputWait wait = wait_now;
    if (wait == InputWait::kPlay) {
        return;
    }
    if (!demo->ended) {
        stop_playback();
    }
    if (frame != demo->end.frame || wait != demo->end.wait) {
        out_of_step();
    }
    if (reads >= demo->end.reads) {
        stop_playback();
    }
}

}  // namespace

bool start_recording(const char* path)
{
    record_fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (record_fd < 0) {
        return false;
    }
    record_path = path;
    write_record(record_line, format_demo_header(record_line));
    return record_fd >= 0;
}

void finish_recording()
{
    if (record_fd < 0) {
        return;
    }
    write_record(record_line, format_demo_end(record_line, place_now()));
    if (record_fd >= 0 && close(record_fd) != 0) {
        std::fprintf(stderr, "frostrun: cannot write the demo '%s': %s\n", record_path,
                     std::strerror(errno));
    }
    record_fd = -1;
}

void start_playback(const Demo& played, const char* path, bool timed_run)
{
    demo = &played;
    demo_path = path;
    timed = timed_run;
    if (timed) {
        std::fflush(stdout);
        report_fd = dup(STDOUT_FILENO);
        const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (nowhere >= 0) {
            dup2(nowhere, STDOUT_FILENO);
            close(nowhere);
        }
        platform::skip_waits();
    }
}

void finish_playback()
{
    if (demo == nullptr || finished) {
        return;
    }
    finished = true;
    finish_frame_sums();
    if (!timed) {
        return;
    }
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - started;
    const double seconds = spent.count();
    char report[128];
    const int size = std::snprintf(report, sizeof report,
                                   "%d frames, %.3f seconds, %.1f frames per second\n",
                                   static_cast<int>(frame), seconds,
                                   frame / std::max(seconds, 1e-9));
    std::fflush(stdout);
    const ssize_t written = write(report_fd, report, static_cast<std::size_t>(size));
    static_cast<void>(written);
}

int input_frame() { return frame; }

void begin_input_frame()
{
    if (demo != nullptr) {
        const int last = demo->ended ? demo->end.frame
                         : demo->inputs.empty() ? 0
                                                : demo->inputs.back().place.frame;
        if (frame >= last) {
            stop_playback();
        }
    }
    if (frame == 0) {
        started = std::chrono::steady_clock::now();
    }
    frame += 1;
    wait_now = InputWait::kPlay;
    reads = 0;
    reads_at_input = -1;
}

void note_input_wait(InputWait wait)
{
    if (wait_now != wait) {
        wait_now = wait;
        reads = 0;
        reads_at_input = -1;
    }
}

bool playing_demo() { return demo != nullptr; }

int next_demo_input(SDL_Event* event)
{
    watch_viewer();
    if (next_index == demo->inputs.size()) {
        check_wait_without_input();
        return 0;
    }
    const DemoInput& input = demo->inputs[next_index];
    const InputWait wait = wait_now;
    const bool here = input.place.frame == frame && input.place.wait == wait;
    if (input.place.frame < frame || (here && input.place.reads < reads)) {
        out_of_step();
    }
    if (here && input.place.reads == reads && input.kind == DemoKind::kWindow) {
        return 0;  // not an event: the window's state, which the game reads next
    }
    if (!here || input.place.reads != reads) {
        // A wait ends only with an input, and reads once more at most after
        // it: the next input must lie in it, or have just been read.
        if (wait != InputWait::kPlay && !here && reads > reads_at_input) {
            out_of_step();
        }
        return 0;
    }
    next_index += 1;
    reads_at_input = reads;
    *event = SDL_Event{};
    switch (input.kind) {
    case DemoKind::kKey:
        event->key.type = SDL_KEYDOWN;
        event->key.state = SDL_PRESSED;
        event->key.keysym.sym = static_cast<SDLKey>(input.value);
        break;
    case DemoKind::kClose:
        event->type = SDL_QUIT;
        break;
    case DemoKind::kWindow:  // never here: taken by demo_window_state
    case DemoKind::kFocusIn:
    case DemoKind::kFocusOut:
        event->active.type = SDL_ACTIVEEVENT;
        event->active.gain = input.kind == DemoKind::kFocusIn ? 1 : 0;
        event->active.state = static_cast<Uint8>(input.value);
        break;
    }
    return 1;
}

void note_empty_read() { reads += 1; }

void record_input(const SDL_Event& event)
{
    if (record_fd < 0) {
        return;
    }
    DemoInput input = {place_now(), DemoKind::kKey, 0};
    if (event.type == SDL_KEYDOWN) {
        input.value = event.key.keysym.sym;
    } else if (event.type == SDL_QUIT) {
        input.kind = DemoKind::kClose;
    } else if (event.type == SDL_ACTIVEEVENT && event.active.state != 0) {
        input.kind = event.active.gain != 0 ? DemoKind::kFocusIn : DemoKind::kFocusOut;
        input.value = event.active.state;
    } else {
        return;  // nothing the game takes from it
    }
    write_record(record_line, format_demo_input(record_line, input));
}

void record_window_state(Uint8 state)
{
    if (record_fd < 0 || state == recorded_window) {
        return;
    }
    recorded_window = state;
    const DemoInput input = {place_now(), DemoKind::kWindow, state};
    write_record(record_line, format_demo_input(record_line, input));
}

Uint8 demo_window_state()
{
    if (next_index < demo->inputs.size()) {
        const DemoInput& input = demo->inputs[next_index];
        if (input.kind == DemoKind::kWindow && input.place.frame == frame &&
            input.place.wait == wait_now && input.place.reads == reads) {
            played_window = static_cast<Uint8>(input.value);
            next_index += 1;
        }
    }
    return played_window;
}
