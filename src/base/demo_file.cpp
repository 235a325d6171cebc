#include "base/demo_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kFormatName[] = "frostrun-demo";
constexpr int kFormatVersion = 1;
constexpr char kGameVersion[] = FROSTRUN_VERSION;
// The versions whose games are this one's, frame for frame.
constexpr std::string_view kPlayableVersions[] = {"0.1"};

constexpr int kMostNumber = 999999999;  // frames and reads: nine digits
constexpr std::size_t kMostInputs = 1000000;
constexpr std::size_t kMostBytes = std::size_t{32} << 20;

struct WaitName {
    InputWait wait;
    std::string_view name;
};
constexpr WaitName kWaitNames[] = {
    {InputWait::kPlay, "play"},
    {InputWait::kLevelIntro, "intro"},
    {InputWait::kPause, "pause"},
    {InputWait::kGameOver, "over"},
};

// Each kind's name and the values it takes (none when `most` is 0).
struct KindName {
    DemoKind kind;
    std::string_view name;
    int least;
    int most;
};
constexpr int kAppBits = SDL_APPMOUSEFOCUS | SDL_APPINPUTFOCUS | SDL_APPACTIVE;
constexpr KindName kKindNames[] = {
    {DemoKind::kKey, "key", 1, SDLK_LAST - 1},
    {DemoKind::kClose, "close", 0, 0},
    {DemoKind::kFocusIn, "focus-in", 1, kAppBits},
    {DemoKind::kFocusOut, "focus-out", 1, kAppBits},
    {DemoKind::kWindow, "window", 0, kAppBits},
};

// ---- Reading -------------------------------------------------------------

// Splits a line at single spaces into at most `most` fields; answers how
// many, or 0 when there are more or a field is empty.
int split(std::string_view line, std::string_view* fields, int most)
{
    int count = 0;
    while (count < most) {
        const std::size_t space = line.find(' ');
        fields[count] = line.substr(0, space);
        if (fields[count].empty()) {
            return 0;
        }
        count += 1;
        if (space == std::string_view::npos) {
            return count;
        }
        line.remove_prefix(space + 1);
    }
    return 0;
}

// A number of one to nine digits without a leading zero; -1 for anything else.
int number(std::string_view field)
{
    if (field.empty() || field.size() > 9 || (field.size() > 1 && field[0] == '0')) {
        return -1;
    }
    int value = 0;
    for (const char digit : field) {
        if (digit < '0' || digit > '9') {
            return -1;
        }
        value = value * 10 + (digit - '0');
    }
    return value;
}

bool wait_named(std::string_view name, InputWait& wait)
{
    for (const WaitName& entry : kWaitNames) {
        if (entry.name == name) {
            wait = entry.wait;
            return true;
        }
    }
    return false;
}

// Reads "FRAME WAIT READS" from three fields; answers the problem or "".
std::string read_place(const std::string_view* fields, DemoPlace& place)
{
    place.frame = number(fields[0]);
    if (place.frame < 1) {
        return "frame number '" + std::string(fields[0].substr(0, 12)) +
               "' is not one from 1 to 999999999";
    }
    if (!wait_named(fields[1], place.wait)) {
        return "unknown wait '" + std::string(fields[1].substr(0, 12)) + "'";
    }
    place.reads = number(fields[2]);
    if (place.reads < 0) {
        return "read count '" + std::string(fields[2].substr(0, 12)) +
               "' is not one from 0 to 999999999";
    }
    return "";
}

// True when `later` cannot have been read after `earlier`.
bool comes_before(const DemoPlace& later, const DemoPlace& earlier)
{
    if (later.frame != earlier.frame) {
        return later.frame < earlier.frame;
    }
    return later.wait == earlier.wait && later.reads < earlier.reads;
}

// Checks one input line and appends it; answers the problem or "".
std::string read_input(std::string_view line, Demo& demo)
{
    std::string_view fields[5];
    const int count = split(line, fields, 5);
    if (count < 4) {
        return "not an input line";
    }
    DemoInput input{};
    std::string problem = read_place(fields, input.place);
    if (!problem.empty()) {
        return problem;
    }
    const KindName* kind = nullptr;
    for (const KindName& entry : kKindNames) {
        if (entry.name == fields[3]) {
            kind = &entry;
        }
    }
    if (kind == nullptr) {
        return "unknown kind of input '" + std::string(fields[3].substr(0, 12)) + "'";
    }
    input.kind = kind->kind;
    input.value = count == 5 ? number(fields[4]) : 0;
    if ((kind->most == 0) != (count == 4) || input.value < kind->least ||
        input.value > kind->most) {
        return std::string(kind->name) + " value out of range";
    }
    if (!demo.inputs.empty() && comes_before(input.place, demo.inputs.back().place)) {
        return "input out of order (before the line above)";
    }
    if (demo.inputs.size() == kMostInputs) {
        return "more than a million inputs";
    }
    demo.inputs.push_back(input);
    return "";
}

// Checks the end record; answers the problem or "".
std::string read_end(std::string_view line, Demo& demo)
{
    std::string_view fields[4];
    if (split(line, fields, 4) != 4) {
        return "not an end record";
    }
    std::string problem = read_place(fields + 1, demo.end);
    if (!problem.empty()) {
        return problem;
    }
    if (!demo.inputs.empty() && comes_before(demo.end, demo.inputs.back().place)) {
        return "end before the last input";
    }
    demo.ended = true;
    return "";
}

// Checks the first two lines; answers the problem or "".
std::string read_header(std::string_view format, std::string_view game)
{
    const std::string_view name = kFormatName;
    if (format.substr(0, name.size() + 1) != std::string(name) + " " ||
        format.size() > name.size() + 10) {
        return "not a Frostrun demo";
    }
    const int version = number(format.substr(name.size() + 1));
    if (version != kFormatVersion) {
        return "demo format version '" + std::string(format.substr(name.size() + 1, 12)) +
               "', this game reads version " + std::to_string(kFormatVersion);
    }
    if (game.substr(0, 5) != "game " || game.size() > 20) {
        return "line 2: not the game's version";
    }
    for (const std::string_view playable : kPlayableVersions) {
        if (game.substr(5) == playable) {
            return "";
        }
    }
    return "recorded by Frostrun version '" + std::string(game.substr(5, 12)) +
           "', which Frostrun " + kGameVersion + " cannot play";
}

// ---- Writing -------------------------------------------------------------

char* put(char* out, std::string_view text)
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

char* put(char* out, int value)
{
    char digits[12];
    int count = 0;
    unsigned rest = static_cast<unsigned>(value);
    do {
        digits[count++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    while (count > 0) {
        *out++ = digits[--count];
    }
    return out;
}

char* put(char* out, const DemoPlace& place)
{
    out = put(out, place.frame);
    out = put(out, " ");
    for (const WaitName& entry : kWaitNames) {
        if (entry.wait == place.wait) {
            out = put(out, entry.name);
        }
    }
    out = put(out, " ");
    return put(out, place.reads);
}

}  // namespace

std::string parse_demo(std::string_view text, Demo& demo)
{
    demo = Demo{};
    if (text.empty()) {
        return "empty file";
    }
    // Only whole lines count; what follows the last line end was cut off.
    const std::size_t whole = text.rfind('\n');
    if (whole == std::string_view::npos) {
        return "not a Frostrun demo (no whole line)";
    }
    text = text.substr(0, whole + 1);
    int line_number = 0;
    std::string_view header[2];
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        line_number += 1;
        std::string problem;
        if (line_number <= 2) {
            header[line_number - 1] = line;
            if (line_number == 2 || text.empty()) {
                problem = read_header(header[0], header[1]);
                if (!problem.empty()) {
                    return problem;
                }
            }
            continue;
        } else if (line.size() >= kDemoLineMax) {
            problem = "line too long";
        } else if (demo.ended) {
            problem = "a line after the end record";
        } else if (line.substr(0, 4) == "end ") {
            problem = read_end(line, demo);
        } else {
            problem = read_input(line, demo);
        }
        if (!problem.empty()) {
            return "line " + std::to_string(line_number) + ": " + problem;
        }
    }
    if (line_number < 2) {
        return "cut short in its header";
    }
    return "";
}

std::string read_demo_file(const char* path, Demo& demo)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return std::string("cannot open: ") + std::strerror(errno);
    }
    // Read in pieces up to one byte over the limit, so that a huge file
    // costs no more than that.
    std::string text;
    char piece[65536];
    std::size_t got = 0;
    do {
        got = std::fread(piece, 1, sizeof piece, file);
        text.append(piece, got);
    } while (got == sizeof piece && text.size() <= kMostBytes);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) {
        return std::string("cannot read: ") + std::strerror(error);
    }
    const std::size_t size = text.size();
    std::string problem = parse_demo(text, demo);
    if (problem.empty() && size > kMostBytes) {
        problem = "larger than 32 MiB";
    }
    return problem;
}

std::size_t format_demo_header(char* line)
{
    char* out = put(line, kFormatName);
    out = put(out, " ");
    out = put(out, kFormatVersion);
    out = put(out, "\ngame ");
    out = put(out, kGameVersion);
    out = put(out, "\n");
    return static_cast<std::size_t>(out - line);
}

std::size_t format_demo_input(char* line, const DemoInput& input)
{
    char* out = put(line, input.place);
    for (const KindName& entry : kKindNames) {
        if (entry.kind == input.kind) {
            out = put(out, " ");
            out = put(out, entry.name);
            if (entry.most > 0) {
                out = put(out, " ");
                out = put(out, input.value);
            }
        }
    }
    out = put(out, "\n");
    return static_cast<std::size_t>(out - line);
}

std::size_t format_demo_end(char* line, DemoPlace place)
{
    char* out = put(line, "end ");
    out = put(out, place);
    out = put(out, "\n");
    return static_cast<std::size_t>(out - line);
}
