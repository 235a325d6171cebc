#include "loop/demo_session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/demo_file.h"
#include "base/demo_input.h"
#include "base/frame_sums.h"
#include "loop/command_line.h"

namespace {

constexpr int kStatusBadFile = 2;

Demo demo;  // the demo played back, read whole before the game starts

// The file's name as a message shows it, at most 60 bytes.
std::string shown(const std::string& path) { return quoted(path, 60); }

int refuse(const char* what, const std::string& path, const std::string& problem)
{
    std::fprintf(stderr, "frostrun: %s %s: %s\n", what, shown(path).c_str(), problem.c_str());
    return kStatusBadFile;
}

}  // namespace

int start_demo_session(const CommandLine& line)
{
    const char* path = line.demo_file.c_str();
    if (line.demo == CommandLine::kPlayBack || line.demo == CommandLine::kTimedemo) {
        const std::string problem = read_demo_file(path, demo);
        if (!problem.empty()) {
            return refuse("demo", line.demo_file, problem);
        }
    }
    if (!line.frame_sums_file.empty() && !start_frame_sums(line.frame_sums_file.c_str())) {
        return refuse("frame sums", line.frame_sums_file, std::strerror(errno));
    }
    if (line.demo == CommandLine::kRecord && !start_recording(path)) {
        return refuse("demo", line.demo_file, std::string("cannot write: ") +
                                                  std::strerror(errno));
    }
    if (line.demo == CommandLine::kPlayBack || line.demo == CommandLine::kTimedemo) {
        start_playback(demo, path, line.demo == CommandLine::kTimedemo);
    }
    return 0;
}

void finish_demo_session()
{
    finish_recording();
    finish_playback();
    finish_frame_sums();
}
