#!/usr/bin/python3
"""Where the real game's start-up goes, from exec to its first presented
frame: starts the game binary RUNS times (fresh processes, in the assets
folder) with
startup_probe preloaded, and prints the median and the worst of each step
in milliseconds, of wall-clock time and of the process's CPU time (the
latter is what other load on the machine leaves alone).

    startup_breakdown.py GAME_BINARY PROBE_LIBRARY ASSETS_DIR [RUNS]

Video: SDL's dummy driver, or with DISPLAY set (and SDL_VIDEODRIVER not)
a real X window there, for instance on Xvfb. Audio: SDL_AUDIODRIVER, by
default the dummy driver.

The time before the exec is taken just before posix_spawn, so the first
step also holds the spawn itself.
"""
import os
import statistics
import sys
import time

STEPS = ["exec_to_main", "sdl_init", "set_video_mode", "load_backdrop", "load_sprites",
         "convert_backdrop", "first_backdrop_blit", "start_sound", "pacing_wait", "rest",
         "first_flip"]
NOTES = {
    "exec_to_main": "exec, loading and relocating the shared libraries",
    "sdl_init": "SDL_Init(video)",
    "set_video_mode": "SDL_SetVideoMode 640x480x16",
    "load_backdrop": "IMG_Load background.png",
    "load_sprites": "IMG_Load sprites.png",
    "convert_backdrop": "SDL_ConvertSurface: backdrop held for erasing",
    "first_backdrop_blit": "whole backdrop onto the screen",
    "start_sound": "SDL_InitSubSystem(audio), Mix_OpenAudio, 20 Mix_LoadWAV_RW",
    "pacing_wait": "first tick's pacing wait (SDL_Delay)",
    "rest": "everything else up to the flip",
    "first_flip": "exec to first presented frame",
}


def one_run(game, probe, assets):
    read_end, write_end = os.pipe()
    env = dict(os.environ, LD_PRELOAD=probe)
    if "DISPLAY" not in env:
        env.setdefault("SDL_VIDEODRIVER", "dummy")
    env.setdefault("SDL_AUDIODRIVER", "dummy")
    null = os.open(os.devnull, os.O_WRONLY)
    env["FROSTRUN_PROBE_T0"] = str(time.time_ns())
    pid = os.posix_spawn(game, [game], env, file_actions=[
        (os.POSIX_SPAWN_DUP2, null, 1), (os.POSIX_SPAWN_DUP2, write_end, 2),
        (os.POSIX_SPAWN_CLOSE, read_end)])
    os.close(write_end)
    os.close(null)
    with os.fdopen(read_end) as stderr:
        text = stderr.read()
    os.waitpid(pid, 0)
    for line in text.splitlines():
        if line.startswith("probe: "):
            fields = line.split()[1:]
            return {fields[i]: (float(fields[i + 1]), float(fields[i + 2]))
                    for i in range(0, len(fields), 3)}
    sys.exit(f"no probe line from the game: {text!r}")


def video_driver():
    if "SDL_VIDEODRIVER" in os.environ or "DISPLAY" not in os.environ:
        return "driver " + os.environ.get("SDL_VIDEODRIVER", "dummy")
    return "X11 on display " + os.environ["DISPLAY"]


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    game, probe, assets = (os.path.abspath(a) for a in sys.argv[1:4])
    runs = int(sys.argv[4]) if len(sys.argv) == 5 else 20
    os.chdir(assets)
    samples = [one_run(game, probe, assets) for _ in range(runs)]
    print(f"exec to first presented frame, real game binary, {runs} fresh processes, "
          f"video {video_driver()}, "
          f"audio driver {os.environ.get('SDL_AUDIODRIVER', 'dummy')} (ms):")
    print(f"  {'step':20} {'wall median':>11} {'max':>7} {'CPU median':>11} {'max':>7}")
    for step in STEPS:
        wall = [s[step][0] for s in samples]
        cpu = [s[step][1] for s in samples]
        print(f"  {step:20} {statistics.median(wall):11.2f} {max(wall):7.2f} "
              f"{statistics.median(cpu):11.2f} {max(cpu):7.2f}   {NOTES[step]}")


if __name__ == "__main__":
    main()
