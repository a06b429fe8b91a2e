// stage-maker: makes a stage folder from the designer's text form of the
// stage (StageSourceUnit.h): Map.png, Back.jpg, Block.jpg, Front.png,
// data.xml and par.xml, the same bytes on every run.

#include "ToolMain.h"
#include "game/stagemaker/StageFolderUnit.h"
#include "platform/Exception.h"

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
    MakeStageFolder(ReadStageSource(args[0]), args[1]);
}

} // namespace

int main(int argc, char** argv) {
    return RunTool(argc, argv, "stage-maker", Usage, MakeStage);
}
