// vaporel-sim: runs a stage without a window, exactly as the game's first play
// does (seed 0, create the box, load the stage, restart, then frames), with
// scripted map edits and added particles, and prints what happened.

#include "ToolMain.h"
#include "game/core/GameProfilerUnit.h"
#include "game/stages/ReplayUnit.h"
#include "game/stages/ShareFileUnit.h"
#include "game/stages/StageListUnit.h"
#include "game/stages/StagePackUnit.h"
#include "game/stages/StageProofUnit.h"
#include "game/water/SettleWatchUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/CheckedFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

const char* const Usage =
    R"(usage: vaporel-sim STAGE_DIR --frames N [--every K] [--threads T] [--edit F:COL:ROW:TYPE]...
                  [--add F:X:Y:COUNT]...
       vaporel-sim STAGE_DIR --replay FILE [--frames N] [--every K] [--threads T]
       vaporel-sim --verify SHARE_FILE
       vaporel-sim --pack STAGE_DIR REPLAY -o SHARE_FILE

Runs the stage in STAGE_DIR without a window, exactly as the game's first play
does: the random seed is 0, the box is created, the stage is loaded and
restarted. Then for every frame f = 1 .. N:
  1. every --edit whose F equals f sets the cell (COL 0..64, ROW 0..48) to
     cell type TYPE, keeping the rest of the cell:
     0 empty, 1 block, 2 wall, 3 outlet, 4 drain, 5 source;
  2. every --add whose F equals f adds COUNT particles at pixel (X, Y),
     one AddParticle call each (nothing when no slot is free);
  edits and adds run in command-line order;
  3. the frame is executed;
  4. when f is divisible by K (1 by default) or f = N, one line is printed:
     frame=<f> active=<n> checks=<n> hits=<n> blue_out=<n> etc_out=<n>
     state=<0 playing|1 cleared|2 game over> timer=<n> finished=<0|1>
     settled=<0|1> stalled=<0|1>
     settled=1 when for 180 frames in a row (3 s) no particle left through an
     outlet, a drain or the map's edge and none was put into play, while the
     water's shape rested: in each of the last three seconds at most one
     particle in 20 changed the map cell it was in, on average, against the
     second before. The game then says the water has settled.
     stalled=1 when for 1200 frames (20 s) no particle left through an
     outlet while the water went round: drains or the map's edge took
     particles, the last of them within 180 frames, and the sources poured
     them again. The game then says so.
After the last frame: hash=<16 hex digits>, the 64-bit FNV-1a hash over every
pool slot in pool order: Position.x, Position.y, Velocity.x, Velocity.y,
PrevPosition.x, PrevPosition.y as 8-byte little-endian doubles, then Active,
Exited and Kind as one byte each.

--threads T (a number, 1 or more) is accepted so that older scripts run on:
the water runs on one thread, which one line on standard error says.

--replay FILE plays a replay the game wrote (replays/<stage>.txt) or a stage's
solution.txt: the replay's stage must be the folder's name; its seed is set
instead of 0, and its actions apply before their frames (a cell set, the
water reset, the stage reloaded, 500 particles poured). A replay holds at
most 216,000 frames (one hour at 60 a second) and at most 10,000 actions
before one frame. It runs to the
replay's end frame unless --frames says otherwise. There the hash must be
the replay's own: a different one prints one more line on standard error
and exits with status 1. A replay that does not fit (a bad first line, a
cell out of range, an unknown type or action, a damaged or cut-off line, a
frame going backwards, no end line) prints one line naming the file and the
line and exits with status 1.

--verify SHARE_FILE checks a shared stage (a stage with its proof, as the
game's editor publishes it and `vaporel SHARE_FILE` adds it): the file is
read (at most 64 KiB), the stage is made from its map and its ten numbers, and
its proof is played without a window to its end frame. The proof holds only
when the stage is cleared, the clear is kept up to the frame where Finished is
set, that frame is the proof's end, and the water there has the proof's hash.
Then one line is printed and the exit status is 0; otherwise one line on
standard error names the file and the reason, and the exit status is 1.

--pack STAGE_DIR REPLAY -o SHARE_FILE writes the share file of the stage in
STAGE_DIR (its map, data.xml and par.xml; a folder without par.xml gets the
replay's cells and its clear's time, rounded up, with two seconds more) with
REPLAY as its proof, so that any stage can be shared. A replay that does not
keep the clear as --verify asks is refused: one line names the reason, the
exit status is 1 and nothing is written.

Errors (missing files, bad XML, a value that is no number, bad arguments)
print one line on standard error and exit with status 1.

--help prints this text, --version the program's version.
)";

class EArguments : public Exception {
public:
    using Exception::Exception;
};

struct TEdit {
    std::int32_t Frame, Column, Row, Type;
};

struct TAdd {
    std::int32_t Frame, X, Y, Count;
};

// Edits and adds of one frame keep their command-line order within each kind.
struct TOptions {
    std::string StageDir;
    std::int32_t Frames = -1;
    std::int32_t Every = 1;
    bool ThreadsGiven = false; // --threads, which changes nothing
    std::vector<TEdit> Edits;
    std::vector<TAdd> Adds;
    std::optional<TReplay> Replay;
    std::string ReplayFile;
};

std::int32_t ParseNumber(const std::string& text, const std::string& what, std::int32_t least) {
    const std::optional<std::int32_t> value = TextToInt(text);
    if (!value)
        throw EArguments(what + " is not a number: '" + text + "'");
    if (*value < least)
        throw EArguments(what + " must be at least " + std::to_string(least) + ": '" + text + "'");
    return *value;
}

std::vector<std::string> SplitFields(const std::string& text, const std::string& option, std::size_t count) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        fields.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    if (fields.size() != count)
        throw EArguments(option + " needs " + std::to_string(count) + " fields separated by ':': '" + text +
                         "'");
    return fields;
}

void CheckRange(std::int32_t value, std::int32_t last, const std::string& what) {
    if (value > last)
        throw EArguments(what + " must be at most " + std::to_string(last) + ": " + std::to_string(value));
}

TEdit ParseEdit(const std::string& text) {
    const auto f = SplitFields(text, "--edit", 4);
    const TEdit edit{ParseNumber(f[0], "--edit frame", 1), ParseNumber(f[1], "--edit column", 0),
                     ParseNumber(f[2], "--edit row", 0), ParseNumber(f[3], "--edit type", 0)};
    CheckRange(edit.Column, MapColumns - 1, "--edit column");
    CheckRange(edit.Row, MapRows - 1, "--edit row");
    CheckRange(edit.Type, CellTypeCount - 1, "--edit type");
    return edit;
}

TAdd ParseAdd(const std::string& text) {
    const auto f = SplitFields(text, "--add", 4);
    return TAdd{ParseNumber(f[0], "--add frame", 1), ParseNumber(f[1], "--add x", INT32_MIN),
                ParseNumber(f[2], "--add y", INT32_MIN), ParseNumber(f[3], "--add count", 0)};
}

TOptions ParseArguments(const std::vector<std::string>& args) {
    TOptions options;
    bool haveStage = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--frames" || arg == "--every" || arg == "--threads" ||
                                arg == "--edit" || arg == "--add" || arg == "--replay";
        if (takesValue && i + 1 >= args.size())
            throw EArguments(arg + " needs a value");
        if (arg == "--frames")
            options.Frames = ParseNumber(args[++i], "--frames", 0);
        else if (arg == "--every")
            options.Every = ParseNumber(args[++i], "--every", 1);
        else if (arg == "--threads") {
            ParseNumber(args[++i], "--threads", 1);
            options.ThreadsGiven = true;
        } else if (arg == "--edit")
            options.Edits.push_back(ParseEdit(args[++i]));
        else if (arg == "--add")
            options.Adds.push_back(ParseAdd(args[++i]));
        else if (arg == "--replay") {
            options.ReplayFile = args[++i];
            options.Replay = LoadReplay(options.ReplayFile);
        } else if (arg.rfind("--", 0) == 0)
            throw EArguments("unknown option " + arg);
        else if (haveStage)
            throw EArguments("more than one stage folder: '" + arg + "'");
        else {
            options.StageDir = arg;
            haveStage = true;
        }
    }
    if (!haveStage)
        throw EArguments("no stage folder given (see --help)");
    if (options.Replay && options.Frames < 0)
        options.Frames = options.Replay->EndFrame;
    if (options.Frames < 0)
        throw EArguments("--frames N is required (see --help)");
    if (options.Replay && options.Replay->Stage != StageFolderName(options.StageDir))
        throw EArguments(options.ReplayFile + ": line 2: the replay belongs to stage " +
                         options.Replay->Stage + ", not to " + StageFolderName(options.StageDir));
    return options;
}

// `nextStep` is the replay's first step not taken yet: the steps come in
// frame order, so each is looked at once.
void ApplyInput(TVaporelBox& box, const TOptions& options, std::int32_t frame, std::size_t& nextStep) {
    for (const TEdit& edit : options.Edits)
        if (edit.Frame == frame) {
            TMapCell cell = box.GetCell(edit.Column, edit.Row);
            cell.CellType = static_cast<TCellType>(edit.Type);
            box.SetCell(edit.Column, edit.Row, cell);
        }
    // Calls beyond the pool's size find no free slot and change nothing, so
    // a huge COUNT is cut to the pool instead of scanning it billions of times.
    const auto poolSize = static_cast<std::int64_t>(box.Particles().size());
    for (const TAdd& add : options.Adds)
        if (add.Frame == frame)
            for (std::int64_t i = 0; i < std::min<std::int64_t>(add.Count, poolSize); ++i)
                box.AddParticle(add.X, add.Y);
    if (options.Replay)
        for (const auto& steps = options.Replay->Steps;
             nextStep < steps.size() && steps[nextStep].Frame == frame; ++nextStep)
            box.Apply(steps[nextStep].Action);
}

void PrintFrame(const TVaporelBox& box, std::int32_t frame, const TSettleWatch& settle) {
    std::printf("frame=%d active=%d checks=%d hits=%d blue_out=%d etc_out=%d state=%d timer=%d finished=%d "
                "settled=%d stalled=%d\n",
                frame, box.ActiveParticleCount(), box.CollisionChecks(), box.CollisionHits(), box.BlueOutCount(),
                box.EtcOutCount(), static_cast<int>(box.State()), box.StateTimer(), box.Finished() ? 1 : 0,
                settle.Settled() ? 1 : 0, settle.Stalled() ? 1 : 0);
}

// A replay run to its end must come out at the hash the play wrote.
void CheckEndHash(const TOptions& options, std::uint64_t hash) {
    if (options.Replay && options.Frames == options.Replay->EndFrame && hash != options.Replay->EndHash)
        throw Exception(options.ReplayFile + ": the water's hash after frame " +
                        std::to_string(options.Frames) + " is " + HashText(hash) + ", the replay says " +
                        HashText(options.Replay->EndHash));
}

void Run(const TOptions& options) {
    if (options.ThreadsGiven)
        std::fputs("vaporel-sim: --threads is ignored: the water runs on one thread\n", stderr);
    SetRandSeed(options.Replay ? options.Replay->Seed : 0);
    TGameProfiler profiler;
    auto box = std::make_unique<TVaporelBox>(profiler); // holds the whole map: too big for the stack
    box->LoadStage(options.StageDir);
    box->Restart();
    std::size_t nextStep = 0;
    TSettleWatch settle;
    for (std::int32_t frame = 1; frame <= options.Frames; ++frame) {
        ApplyInput(*box, options, frame, nextStep);
        box->Execute();
        settle.Watch(*box);
        if (frame % options.Every == 0 || frame == options.Frames)
            PrintFrame(*box, frame, settle);
    }
    const std::uint64_t hash = box->WaterHash();
    std::printf("hash=%s\n", HashText(hash).c_str());
    CheckEndHash(options, hash);
}

std::string ClearText(const TStageSource& stage, const TProofOutcome& outcome) {
    return "\"" + EscapeControls(stage.Name) + "\" cleared at frame " + std::to_string(outcome.ClearFrame) +
           ", kept to Finished at frame " + std::to_string(outcome.FinishedFrame);
}

void Verify(const std::string& fileName) {
    const TCheckedStage checked = CheckShareFile(fileName);
    std::printf("%s: the proof holds: %s\n", fileName.c_str(),
                ClearText(checked.Shared.Stage, checked.Outcome).c_str());
}

void Pack(const std::string& stageDir, const std::string& replayFile, const std::string& shareFile) {
    const TReplay proof = LoadReplay(replayFile);
    const TStageSource stage = StageSourceOfFolder(stageDir, proof);
    const TProofOutcome outcome = PlayProof(stage, proof);
    if (!outcome.Holds())
        throw Exception(replayFile + ": the replay does not keep the clear: " + outcome.Fault +
                        "; nothing written");
    platform::ReplaceFileContents(shareFile, FormatShareFile(stage, proof));
    std::printf("%s: %s\n", shareFile.c_str(), ClearText(stage, outcome).c_str());
}

// --verify and --pack are whole command lines of their own; false for any other.
bool RunShareCommand(const std::vector<std::string>& args) {
    if (args.empty() || (args[0] != "--verify" && args[0] != "--pack"))
        return false;
    if (args[0] == "--verify") {
        if (args.size() != 2)
            throw EArguments("--verify needs one share file (see --help)");
        Verify(args[1]);
    } else {
        if (args.size() != 5 || args[3] != "-o")
            throw EArguments("--pack needs STAGE_DIR REPLAY -o SHARE_FILE (see --help)");
        Pack(args[1], args[2], args[4]);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    return RunTool(argc, argv, "vaporel-sim", Usage, [](const std::vector<std::string>& args) {
        if (!RunShareCommand(args))
            Run(ParseArguments(args));
    });
}
