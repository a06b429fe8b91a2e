// The course file and the par: what they accept and refuse, that the shipped
// course names every shipped stage folder once, and one play of its first
// stage kept cleared (the cheap one of the course plays).

#include "CoursePlay.h"
#include "StageTestFolder.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string CourseError(const std::string& text) {
    try {
        ParseCourse(text, "stages/course.txt");
    } catch (const Exception& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(Course, ReadsStagesInOrderWithTheirChapters) {
    const std::string text = "# the course\nchapter Walls\n0004\n\n0013\r\nchapter Red on blue\n0001\n";
    EXPECT_EQ(
        ParseCourse(text, "course.txt"),
        (std::vector<TCourseStage>{{"0004", "Walls", 3}, {"0013", "Walls", 5}, {"0001", "Red on blue", 7}}));
}

TEST(Course, RefusesALineThatDoesNotFitNamingTheFileAndTheLine) {
    EXPECT_EQ(CourseError("0004\n"), "stages/course.txt:1: the stage 0004 comes before any chapter");
    EXPECT_EQ(CourseError("chapter A\n0004\n# note\n0004\n"),
              "stages/course.txt:4: the stage 0004 is listed twice");
    EXPECT_EQ(CourseError("chapter A\n../0004\n"),
              "stages/course.txt:2: \"../0004\" is no stage folder's name (digits only)");
    EXPECT_EQ(CourseError("chapter \n"), "stages/course.txt:1: a chapter needs a name");
    EXPECT_EQ(CourseError("# nothing\nchapter A\n"), "stages/course.txt: the course names no stage");
}

TEST(Course, SkipsALeadingByteOrderMarkAndShowsAnyOtherInTheWrongLine) {
    EXPECT_EQ(ParseCourse("\xEF\xBB\xBF# The course\nchapter A\n0004\n", "course.txt"),
              (std::vector<TCourseStage>{{"0004", "A", 3}}));
    EXPECT_EQ(CourseError("chapter A\n\xEF\xBB\xBF"
                          "0004\n"),
              "stages/course.txt:2: \"\\xef\\xbb\\xbf0004\" is no stage folder's name (digits only)");
    EXPECT_EQ(CourseError("\xEF\xBB\xBF\xEF\xBB\xBF# x\n"),
              "stages/course.txt:1: \"\\xef\\xbb\\xbf# x\" is no stage folder's name (digits only)")
        << "one mark is skipped, and only at the start";
    EXPECT_EQ(CourseError("The course\nchapter A\n"),
              "stages/course.txt:1: \"The course\" is no stage folder's name (digits only)")
        << "what is wrong in the line comes before where it stands";
}

TEST(Course, TheShippedCourseNamesEveryShippedStageFolderOnce) {
    std::set<std::string> folders;
    for (const fs::directory_entry& entry : fs::directory_iterator(ShippedStages()))
        if (entry.is_directory() && std::regex_match(entry.path().filename().string(), std::regex("[0-9]+")))
            folders.insert(entry.path().filename().string());
    std::set<std::string> listed;
    for (const TCourseStage& stage : ReadCourse(ShippedStages() + CourseFileName)) // refuses a name twice
        listed.insert(stage.Folder);
    EXPECT_EQ(listed, folders);
}

class StagePar : public StageTestFolder {
protected:
    std::string Folder() const { return root.string() + "/"; }
    void WritePar(const std::string& inside) const {
        std::ofstream(root / ParFileName) << "<?xml version=\"1.0\"?>\n<par>" << inside << "</par>\n";
    }
};

TEST_F(StagePar, ReadsCellsAndSecondsAsFrames) {
    EXPECT_FALSE(ReadStagePar(Folder())) << "a folder without par.xml has no par";
    WritePar("<cells>3</cells><seconds>14.5</seconds>");
    EXPECT_EQ(ReadStagePar(Folder()), (TStagePar{3, 870}));
}

TEST_F(StagePar, RefusesAParWithoutACountOrATimeNamingTheFile) {
    for (const char* inside :
         {"<cells>3</cells>", "<cells>-1</cells><seconds>9</seconds>", "<cells>2</cells><seconds>0</seconds>",
          "<cells>2</cells><seconds>nan</seconds>", "<cells>2</cells><seconds>99999</seconds>",
          "<cells>two</cells><seconds>9</seconds>"}) {
        WritePar(inside);
        try {
            ReadStagePar(Folder());
            ADD_FAILURE() << "accepted " << inside;
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what()).find(ParFileName), std::string::npos) << error.what();
        }
    }
}

TEST(CourseFirstStage, ItsSolutionKeepsTheClearToFinished) {
    const std::string folder =
        ShippedStages() + ReadCourse(ShippedStages() + CourseFileName).front().Folder + "/";
    const TReplay solution = LoadReplay(folder + "solution.txt");
    const TPlayOutcome outcome = PlayStage(folder, solution.Seed, solution.Steps, solution.EndFrame);
    EXPECT_EQ(outcome.State, bsCleared);
    EXPECT_TRUE(outcome.EndFrame == solution.EndFrame && outcome.ClearFrame > 0);
}
