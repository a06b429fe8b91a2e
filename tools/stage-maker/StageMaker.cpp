// stage-maker: makes a stage folder from the designer's text form of the
// stage (StageSourceUnit.h): Map.png, Back.jpg, Block.jpg, Front.png,
// data.xml and par.xml, the same bytes on every run.

#include "StageArtUnit.h"
#include "StageSourceUnit.h"
#include "ToolMain.h"
#include "platform/CheckedFile.h"
#include "platform/Exception.h"

#include <filesystem>

namespace {

const char* const Usage = R"(usage: stage-maker SOURCE STAGE_DIR

Reads the stage's text form SOURCE (tools/stages/NNNN.txt: the name, the hint,
the par (cells and seconds), the ten parameters of data.xml, then a map of 49
lines of 65 cells: '.' empty, '#' block, 'w' hidden wall, 'O' outlet, 'D' drain, 'S' source)
and writes the stage folder STAGE_DIR (made when missing): Map.png, Back.jpg,
Block.jpg, Front.png, data.xml and par.xml. The folder's own name is the
stage's name in data.xml's comment. tools/stages/make-stages.sh makes every shipped stage.

A source that does not fit the form prints one line naming the file and the
line, and exits with status 1.
)";

void MakeStage(const std::vector<std::string>& args) {
    if (args.size() != 2)
        throw Exception("needs SOURCE and STAGE_DIR (see --help)");
    const TStageSource source = ReadStageSource(args[0]);
    const std::filesystem::path folder = std::filesystem::path(args[1]).lexically_normal();
    const std::string stageName = (folder.has_filename() ? folder : folder.parent_path()).filename();
    std::filesystem::create_directories(folder);
    WritePng(DrawMap(source.Map), folder / "Map.png", false);
    WriteJpeg(DrawBack(source.Map), folder / "Back.jpg");
    WriteJpeg(DrawBlock(), folder / "Block.jpg");
    WritePng(DrawFront(source.Map), folder / "Front.png", true);
    platform::ReplaceFileContents(folder / "data.xml", StageDataXml(source, stageName));
    platform::ReplaceFileContents(folder / "par.xml", StageParXml(source, stageName));
}

} // namespace

int main(int argc, char** argv) {
    return RunTool(argc, argv, "stage-maker", Usage, MakeStage);
}
