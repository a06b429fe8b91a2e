#pragma once
// The course: the shipped stages in the order a player meets them, grouped in
// chapters, as the file course.txt beside the stage folders gives it:
//
//     # a comment line; blank lines are ignored
//     chapter Walls and blocks
//     0004
//     0013
//     chapter Outlets, drains and sources
//     0006
//
// "chapter NAME" starts a chapter; every other line names a stage folder of
// the course, once. A byte-order mark before the first line is skipped. And each stage's par, par.xml in its
// folder, which the stage maker writes from the designer's par line:
//
//     <par><cells>2</cells><seconds>14.5</seconds></par>
//
// the cells a good play edits and the seconds from the play's start to the clear.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* CourseFileName = "course.txt";
inline constexpr const char* ParFileName = "par.xml";

struct TCourseStage {
    std::string Folder;  // the stage folder's name: "0004"
    std::string Chapter; // the name of the chapter it belongs to
    int Line = 0;        // the line of the course file that names it, from 1
    bool operator==(const TCourseStage&) const = default;
};

// The course in play order; raises Exception naming the file and the line of
// a line that does not fit (a name that is no shipped stage's, shown with its
// invisible characters escaped; a stage before any chapter; a stage listed
// twice; an empty chapter) or a course with no stage.
std::vector<TCourseStage> ParseCourse(const std::string& text, const std::string& fileName);
std::vector<TCourseStage> ReadCourse(const std::string& fileName);

struct TStagePar {
    std::int32_t Cells = 0;  // cells edited
    std::int32_t Frames = 0; // timed frames from the play's start to the clear
    bool operator==(const TStagePar&) const = default;
};

// The par of the stage in `folder` (ending in '/'): none when the folder has
// no par.xml (a user's stage); raises Exception naming the file when it cannot
// be read or holds no count of cells and no positive time.
std::optional<TStagePar> ReadStagePar(const std::string& folder);
