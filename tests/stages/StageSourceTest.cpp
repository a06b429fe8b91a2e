// The stage maker's text form: what it accepts, what it refuses (one error
// naming the file and the line), and the data.xml it makes.

#include "game/stagemaker/StageSourceUnit.h"
#include "game/stages/StageCourseUnit.h"
#include "lib/Z5EasyXMLUnit.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

// The ten parameters out of data.xml's order, to show the maker orders them.
const char* const Header = "# a stage for the tests\n"
                           "name Test & <Try>\n"
                           "hint Mind \"quotes\" & <tags>.\n"
                           "water_swap_frequency 0.25\n"
                           "blue_water_num 30\n"
                           "blue_water_num_for_clear 20\n"
                           "etc_water_num_for_end 5\n"
                           "water_particle_num 50\n"
                           "water_radius 4\n"
                           "water_max_velocity 7.0\n"
                           "water_gravity 1.2\n"
                           "water_velocity_decay_rate 0.98\n"
                           "water_shake_velocity 0.5\n"
                           "par 3 12.5\n";

std::string FrameRow() {
    return "wwww" + std::string(59, '.') + "w.";
}

// A valid map: the frame, a source at (10, 1) and an outlet at (20, 47).
TStageMap ValidMap() {
    TStageMap map;
    for (int row = 0; row < StageRows; ++row)
        map[static_cast<std::size_t>(row)] = row < PictureRows ? FrameRow() : std::string(StageColumns, '.');
    map[1][10] = 'S';
    map[47][20] = 'O';
    return map;
}

std::string SourceText(const TStageMap& map, const std::string& header = Header) {
    std::string text = header + "map\n";
    for (const std::string& row : map)
        text += row + "\n";
    return text;
}

std::string ErrorOf(const std::string& text) {
    try {
        ParseStageSource(text, "stages/0099.txt");
    } catch (const Exception& error) {
        return error.what();
    }
    return "";
}

// The first `from` in `text` becomes `to`; with `all`, every one.
std::string Replaced(std::string text, const std::string& from, const std::string& to, bool all = false) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = all ? text.find(from, at + to.size()) : std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST(StageSource, ReadsNameHintParametersInDataOrderAndTheMap) {
    const TStageSource source = ParseStageSource(SourceText(ValidMap()), "0099.txt");
    EXPECT_EQ(source.Name, "Test & <Try>");
    EXPECT_EQ(source.Hint, "Mind \"quotes\" & <tags>.");
    ASSERT_EQ(source.Parameters.size(), 10u);
    EXPECT_EQ(source.Parameters.front(), (std::pair<std::string, std::string>("blue_water_num", "30")));
    EXPECT_EQ(source.Parameters.back(),
              (std::pair<std::string, std::string>("water_swap_frequency", "0.25")));
    EXPECT_EQ(source.Map, ValidMap());
    EXPECT_EQ(source.ParCells, "3");
    EXPECT_EQ(source.ParSeconds, "12.5");
}

// Each damaged source names the file, the line where there is one, and what is wrong.
TEST(StageSource, BadSourcesAreOneErrorNamingFileAndLine) {
    const std::string good = SourceText(ValidMap());
    TStageMap badCell = ValidMap(), beyond = ValidMap(), frame = ValidMap(), shortRow = ValidMap();
    badCell[5][30] = 'x';
    beyond[48][30] = '#';
    frame[20][63] = '.';
    shortRow[7].pop_back();
    const struct {
        std::string Text, Expected;
    } cases[] = {
        {Replaced(good, "water_radius 4", "water_radius four"), "stages/0099.txt:9: water_radius: 'four'"},
        {Replaced(good, "water_radius 4", "water_radius 4.5"), "stages/0099.txt:9: water_radius"},
        {Replaced(good, "water_gravity 1.2", "water_gravity"), "stages/0099.txt:11: water_gravity"},
        {Replaced(good, "water_radius 4", "water_radius 4\nwater_radius 5"),
         ":10: \"water_radius\" given twice"},
        {Replaced(good, "water_radius 4", "water_radio 4"), ":9: unknown key \"water_radio\""},
        {Replaced(good, "water_radius 4\n", ""), "stages/0099.txt: no \"water_radius\" line"},
        {Replaced(good, "hint Mind", "hunt Mind"), ":3: unknown key \"hunt\""},
        {Replaced(good, "name Test & <Try>", "name "), ":2: name is empty"},
        {Replaced(good, "name Test", "name Te--st"), ":2: name may not hold \"--\""},
        {Replaced(good, "hint Mind", "hint \tMind"), ":3: hint holds a control character"},
        {Replaced(good, "map\n", "chart\n"), ":15: unknown key \"chart\""},
        {std::string(Header), "stages/0099.txt: no \"map\" line"},
        {good.substr(0, good.rfind("\n", good.size() - 2) + 1),
         "stages/0099.txt: the map has 48 lines, not 49"},
        {good + "extra\n", ":65: text after the map's 49 lines"},
        {SourceText(badCell), ":21: unknown cell 'x' at column 30"},
        {SourceText(beyond), ":64: column 64 and row 48 are always empty ('.') at column 30"},
        {SourceText(frame), ":36: columns 0-3 and 63 lie under the gauges and the frame"},
        {SourceText(shortRow), ":23: a map line has 65 cells, this one 64"},
        {Replaced(good, "par 3 12.5", "par 3"), ":14: par needs two values: the cells and the seconds"},
        {Replaced(good, "par 3 12.5", "par 3 12.5 4"), ":14: par needs two values"},
        {Replaced(good, "par 3 12.5", "par -1 12.5"), ":14: par: the cells must be a count"},
        {Replaced(good, "par 3 12.5", "par 3 0"),
         ":14: par: the cells must be a count and the seconds more than 0"},
        {Replaced(good, "par 3 12.5", "par three 12.5"), ":14: par: 'three'"},
        {Replaced(good, "par 3 12.5\n", ""), "stages/0099.txt: no \"par\" line"},
    };
    for (const auto& c : cases) {
        const std::string error = ErrorOf(c.Text);
        EXPECT_NE(error.find(c.Expected), std::string::npos)
            << "expected '" << c.Expected << "' in '" << error << "'";
    }
    EXPECT_EQ(ErrorOf(good + "\n\n"), "") << "blank lines after the map are no text";
    EXPECT_EQ(ErrorOf(Replaced(good, "\n", "\r\n", true)), "") << "a line may end in CR LF";
}

TEST(StageSource, MissingFileIsAnErrorNamingIt) {
    try {
        ReadStageSource("/nonexistent/0099.txt");
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent/0099.txt"), std::string::npos);
    }
}

// data.xml read back through the engine's own reader: the ten values as
// written, and the name and hint whole however they are spelt.
TEST(StageSource, DataXmlReadsBackThroughTheXmlReader) {
    const TStageSource source = ParseStageSource(SourceText(ValidMap()), "0099.txt");
    const std::string xml = StageDataXml(source, "0099");
    EXPECT_NE(xml.find("<!-- Stage 0099, \"Test & <Try>\". "), std::string::npos) << xml;
    TZ5EasyXMLReader reader;
    reader.LoadFromMemory(reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size(), "data.xml");
    reader.Enter("stage");
    EXPECT_EQ(reader.GetValue("blue_water_num").ToInteger(), 30);
    EXPECT_EQ(reader.GetValue("water_radius").ToInteger(), 4);
    EXPECT_EQ(reader.GetValue("water_swap_frequency").ToReal(), 0.25);
    EXPECT_EQ(reader.GetValue("name").Text(), "Test & <Try>");
    EXPECT_EQ(reader.GetValue("hint").Text(), "Mind \"quotes\" & <tags>.");
}

// par.xml as the maker writes it, read back by the game's stage list.
TEST(StageSource, ParXmlReadsBackAsTheStageListsPar) {
    const TStageSource source = ParseStageSource(SourceText(ValidMap()), "0099.txt");
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "vaporel_par_0099";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / ParFileName) << StageParXml(source, "0099");
    EXPECT_EQ(ReadStagePar(folder.string() + "/"), (TStagePar{3, 750}));
    std::filesystem::remove_all(folder);
}
