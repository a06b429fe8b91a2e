// The stage runner as its users call it: a program with arguments, lines on
// standard output, one error line and status 1 on bad input.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace {

struct Result {
    int Status = -1;
    std::string Out;
    std::string Err;
};

std::string ReadAll(const std::string& name) {
    std::ifstream file(name);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

Result RunSim(const std::string& arguments) {
    // One file per test: CTest runs the tests in parallel processes.
    const std::string errName = testing::TempDir() + "vaporel_sim_stderr_" +
                                testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    // A hang ends after a generous limit instead of holding the test run.
    const std::string command = "timeout 120 " + std::string(VAPOREL_SIM) + " " + arguments + " 2>" + errName;
    Result result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.Out.append(buffer, n);
    const int status = pclose(pipe);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.Err = ReadAll(errName);
    return result;
}

int CountLines(const std::string& text) {
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

const std::string Stage = std::string(" ") + VAPOREL_STAGE_DIR;

} // namespace

TEST(Runner, PrintsTheChosenFramesThenTheHash) {
    const Result result = RunSim(Stage + " --frames 5 --every 2");
    ASSERT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Err, "");
    const std::regex expected(
        "frame=2 active=\\d+ checks=\\d+ hits=\\d+ blue_out=0 etc_out=0 state=0 timer=2 "
        "finished=0 settled=0 stalled=0\n"
        "frame=4 .* timer=4 finished=0 settled=0 stalled=0\n"
        "frame=5 .* timer=5 finished=0 settled=0 stalled=0\n"
        "hash=[0-9a-f]{16}\n");
    EXPECT_TRUE(std::regex_match(result.Out, expected)) << result.Out;
    EXPECT_EQ(RunSim(Stage + " --frames 5 --every 2").Out, result.Out) << "seed 0 every run";
}

TEST(Runner, EditsAndAddsApplyBeforeTheirFrame) {
    const Result plain = RunSim(Stage + " --frames 1");
    const Result added = RunSim(Stage + " --frames 1 --add 1:500:400:25 --add 2:500:400:25");
    ASSERT_EQ(added.Status, 0) << added.Err;
    std::smatch plainActive, addedActive;
    const std::regex active("active=(\\d+)");
    ASSERT_TRUE(std::regex_search(plain.Out, plainActive, active));
    ASSERT_TRUE(std::regex_search(added.Out, addedActive, active));
    EXPECT_EQ(std::stoi(addedActive[1]), std::stoi(plainActive[1]) + 25) << "the frame-2 add never runs";

    // An outlet right where the added water stands takes all of it in frame 1.
    const Result outlet = RunSim(Stage + " --frames 1 --edit 1:31:25:3 --add 1:500:400:25");
    EXPECT_NE(outlet.Out.find("blue_out="), std::string::npos);
    std::smatch counts;
    ASSERT_TRUE(std::regex_search(outlet.Out, counts, std::regex("blue_out=(\\d+) etc_out=(\\d+)")));
    EXPECT_EQ(std::stoi(counts[1]) + std::stoi(counts[2]), 25);
}

TEST(Runner, AThreadCountIsAcceptedAndChangesNothingButOneLine) {
    const std::string run = Stage + " --frames 60 --every 20";
    const Result plain = RunSim(run);
    const Result threads = RunSim(run + " --threads 2");
    ASSERT_EQ(threads.Status, 0) << threads.Err;
    EXPECT_EQ(threads.Out, plain.Out);
    EXPECT_EQ(threads.Err, "vaporel-sim: --threads is ignored: the water runs on one thread\n");
    EXPECT_EQ(plain.Err, "");
}

TEST(Runner, BadInputIsOneErrorLineAndStatusOne) {
    const std::string missing = testing::TempDir() + "no_such_stage";
    const char* const bad[] = {
        "",
        " --frames x",
        " --frames -1",
        " --frames 3 --every 0",
        " --frames 3 --edit 1:65:0:1",
        " --frames 3 --edit 1:0:49:1",
        " --frames 3 --edit 1:0:0:6",
        " --frames 3 --edit 0:0:0:1",
        " --frames 3 --edit 1:0:0",
        " --frames 3 --add 1:0:0:-1",
        " --frames 3 --add 1:a:0:1",
        " --frames 3 --bogus",
        " --frames 3 --threads 0",
        " --frames 3 --threads x",
        " --frames",
    };
    for (const char* arguments : bad) {
        const Result result = RunSim(Stage + arguments);
        EXPECT_EQ(result.Status, 1) << arguments;
        EXPECT_EQ(CountLines(result.Err), 1) << arguments << ": " << result.Err;
    }
    EXPECT_EQ(RunSim("--frames 3").Status, 1) << "no stage folder";
    const Result noStage = RunSim(missing + " --frames 3");
    EXPECT_EQ(noStage.Status, 1);
    EXPECT_NE(noStage.Err.find(missing), std::string::npos) << noStage.Err;
    EXPECT_EQ(CountLines(noStage.Err), 1);

    const Result help = RunSim("--help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("usage: vaporel-sim STAGE_DIR --frames N"), std::string::npos);
}

TEST(Runner, AStageFileThatIsNoFitInputIsOneErrorNamingItInBoundedMemory) {
    namespace fs = std::filesystem;
    const fs::path stage = fs::path(testing::TempDir()) / "runner_bad_stage";
    const std::string data = (stage / "data.xml").string();
    const auto entityBomb = [&] { // 160 KB that would expand to 2 GB of text
        std::ofstream file(data);
        file << "<!DOCTYPE stage [<!ENTITY e \"" << std::string(100000, '1') << "\">]><stage><water_radius>";
        for (int i = 0; i < 20000; ++i)
            file << "&e;";
        file << "</water_radius></stage>";
    };
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"FIFO", [&] { ASSERT_EQ(::mkfifo(data.c_str(), 0600), 0); }},
        {"device", [&] { fs::create_symlink("/dev/zero", data); }},
        {"directory", [&] { fs::create_directory(data); }},
        {"huge file",
         [&] {
             std::ofstream(data).close();
             fs::resize_file(data, 3ull << 30);
         }}, // sparse
        {"entity bomb", entityBomb},
    };
    for (const auto& [what, makeDataFile] : cases) {
        fs::remove_all(stage);
        fs::copy(VAPOREL_STAGE_DIR, stage);
        fs::remove(data);
        makeDataFile();
        const Result result = RunSim(stage.string() + " --frames 1");
        EXPECT_EQ(result.Status, 1) << what;
        EXPECT_EQ(CountLines(result.Err), 1) << what << ": " << result.Err;
        EXPECT_NE(result.Err.find(data), std::string::npos) << what << ": " << result.Err;
    }
    fs::remove_all(stage);
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, 512 * 1024) << "kilobytes at most in any run of the stage runner";
}

namespace {

std::string WriteReplay(const std::string& name, const std::string& text) {
    const std::string fileName = testing::TempDir() + name;
    std::ofstream(fileName) << text;
    return fileName;
}

std::string HashOf(const std::string& out) {
    std::smatch hash;
    return std::regex_search(out, hash, std::regex("hash=([0-9a-f]{16})")) ? hash[1].str() : "";
}

} // namespace

TEST(Runner, AReplayRunsItsActionsBeforeTheirFramesToItsEndAndChecksTheHash) {
    // Pouring at the edit's frames: the same water as the --edit and --add run.
    const Result direct = RunSim(Stage + " --frames 90 --every 30 --edit 1:31:25:3 --edit 40:20:20:1"
                                         " --add 60:500:100:500");
    ASSERT_EQ(direct.Status, 0) << direct.Err;
    const std::string body = "vaporel-replay 1\n# a comment\nstage 0001\nseed 0\n1 cell 31 25 3\n"
                             "40 cell 20 20 1\n60 pour 500 100\n90 end hash=";
    const Result replayed =
        RunSim(Stage + " --every 30 --replay " + WriteReplay("good.txt", body + HashOf(direct.Out) + "\n"));
    EXPECT_EQ(replayed.Status, 0) << replayed.Err;
    EXPECT_EQ(replayed.Out, direct.Out) << "the replay runs to its end frame, 90";

    const std::string wrongHash = WriteReplay("wrong_hash.txt", body + "0123456789abcdef\n");
    const Result wrong = RunSim(Stage + " --replay " + wrongHash);
    EXPECT_EQ(wrong.Status, 1);
    EXPECT_EQ(HashOf(wrong.Out), HashOf(direct.Out)) << "the lines are printed before the check";
    EXPECT_NE(wrong.Err.find(wrongHash + ": the water's hash after frame 90 is " + HashOf(direct.Out)),
              std::string::npos)
        << wrong.Err;
    EXPECT_EQ(RunSim(Stage + " --frames 30 --replay " + wrongHash).Status, 0) << "no check short of the end";
}

TEST(Runner, AReplayStartsFromItsSeed) {
    const std::string seeded = "vaporel-replay 1\nstage 0001\nseed 12345\n";
    const Result zero = RunSim(Stage + " --frames 20");
    const Result other =
        RunSim(Stage + " --replay " + WriteReplay("seed.txt", seeded + "30 end hash=0000000000000000\n") +
               " --frames 20");
    ASSERT_EQ(other.Status, 0) << other.Err;
    EXPECT_NE(HashOf(other.Out), HashOf(zero.Out));
}

TEST(Runner, AReplayThatDoesNotFitIsOneLineNamingTheFileAndLine) {
    const std::string otherStage = WriteReplay("other_stage.txt", "vaporel-replay 1\nstage 0002\nseed 0\n"
                                                                  "0 end hash=0000000000000000\n");
    const std::string outOfRange =
        WriteReplay("out_of_range.txt", "vaporel-replay 1\nstage 0001\nseed 0\n"
                                        "1 cell 70 1 1\n2 end hash=0000000000000000\n");
    const std::string cutShort =
        WriteReplay("cut_short.txt", "vaporel-replay 1\nstage 0001\nseed 0\n1 cell 7 1 1\n");
    const std::pair<std::string, std::string> cases[] = {
        {otherStage, otherStage + ": line 2: the replay belongs to stage 0002, not to 0001"},
        {outOfRange, outOfRange + ": line 4: the column"},
        {cutShort, cutShort + ": line 5: the end line"},
        {testing::TempDir() + "missing.txt", testing::TempDir() + "missing.txt"},
    };
    for (const auto& [file, expected] : cases) {
        const Result result = RunSim(Stage + " --replay " + file);
        EXPECT_EQ(result.Status, 1) << file;
        EXPECT_EQ(result.Out, "") << file;
        EXPECT_EQ(CountLines(result.Err), 1) << result.Err;
        EXPECT_NE(result.Err.find(expected), std::string::npos) << result.Err;
    }
}

namespace {

const std::string Stage0005 = std::string(VAPOREL_STAGE_DIR) + "/../0005";

void WriteText(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

} // namespace

TEST(Runner, APackedStageVerifiesWithOneLine) {
    const std::string file = testing::TempDir() + "runner_packed.vaporel.txt";
    std::filesystem::remove(file);
    const Result pack = RunSim("--pack " + Stage0005 + " " + Stage0005 + "/solution.txt -o " + file);
    ASSERT_EQ(pack.Status, 0) << pack.Err;
    EXPECT_EQ(CountLines(pack.Out), 1) << pack.Out;
    const Result verify = RunSim("--verify " + file);
    EXPECT_EQ(verify.Status, 0) << verify.Err;
    EXPECT_EQ(verify.Out,
              file +
                  ": the proof holds: \"New Springs\" cleared at frame 208, kept to Finished at frame 568\n");
    EXPECT_EQ(verify.Err, "");
}

TEST(Runner, AProofThatDoesNotHoldIsStatusOneNamingTheReason) {
    const std::string packed = testing::TempDir() + "runner_refused.vaporel.txt";
    const std::string replay = testing::TempDir() + "runner_late.txt";
    std::filesystem::remove(packed);
    std::string solution = ReadAll(Stage0005 + "/solution.txt");
    WriteText(replay, solution.replace(solution.find("568 end"), 3, "500"));
    const Result pack = RunSim("--pack " + Stage0005 + " " + replay + " -o " + packed);
    EXPECT_EQ(pack.Status, 1);
    EXPECT_EQ(CountLines(pack.Err), 1) << pack.Err;
    EXPECT_NE(pack.Err.find(replay + ": the replay does not keep the clear: the proof ends at frame 500"),
              std::string::npos)
        << pack.Err;
    EXPECT_FALSE(std::filesystem::exists(packed)) << "nothing written";

    const std::string good = testing::TempDir() + "runner_good.vaporel.txt";
    ASSERT_EQ(RunSim("--pack " + Stage0005 + " " + Stage0005 + "/solution.txt -o " + good).Status, 0);
    std::string text = ReadAll(good);
    WriteText(packed,
              text.replace(text.find("blue_water_num_for_clear 150"), 28, "blue_water_num_for_clear 390"));
    const Result verify = RunSim("--verify " + packed);
    EXPECT_EQ(verify.Status, 1);
    EXPECT_EQ(verify.Out, "");
    EXPECT_EQ(CountLines(verify.Err), 1) << verify.Err;
    EXPECT_NE(verify.Err.find(packed + ": the proof does not hold: "), std::string::npos) << verify.Err;

    for (const std::string& args :
         std::vector<std::string>{"--verify", "--verify a b", "--pack a b c", "--pack a b -x c",
                                  "--verify " + testing::TempDir() + "no_such_share.txt"}) {
        const Result bad = RunSim(args);
        EXPECT_EQ(bad.Status, 1) << args;
        EXPECT_EQ(CountLines(bad.Err), 1) << args << ": " << bad.Err;
    }
}
