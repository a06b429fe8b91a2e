#include "game/states/GuideUnit.h"

#include "game/render/GameRendererUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "platform/OpenGLBinding.h"

#include <cstdio>
#include <utility>

namespace {

// In front of the scene and the result, behind the cursor (1000) and the debug lines.
constexpr double GuideZ = 500;

constexpr TTextColor White{1, 1, 1};
constexpr TTextColor Brass{0.93f, 0.78f, 0.47f};
constexpr TTextColor WaterBlue{0.55f, 0.80f, 1.0f};

// The title picture's lower band (y 700 to 768) holds the two lines.
constexpr double TitleHintHeight = 19; // pixels to the em
constexpr double TitleHintBaseline = 724;
constexpr double TitleHelpKeyBaseline = 754;

// The goal line: centred over the field right of the gauge panel, below the feed pipe.
constexpr double FieldLeft = 64;
constexpr double GoalLineHeight = 20;
constexpr double GoalLineBaseline = 62;
constexpr double PlateMargin = 8; // pixels around a text on its plate

// The help panel.
constexpr double PanelLeft = 80, PanelTop = 48, PanelRight = 944, PanelBottom = 728;
constexpr double PanelTitleHeight = 30;
constexpr double PanelTitleBaseline = PanelTop + 44;
constexpr double PanelGoalBaseline = PanelTitleBaseline + 40;
constexpr double PanelTextHeight = 17;
constexpr double PanelLineSpacing = 23;
constexpr double PanelSectionGap = 10; // between the goal, the keys and the cells
constexpr double PanelKeysBaseline = PanelGoalBaseline + PanelLineSpacing + PanelSectionGap;
constexpr double KeyColumn = PanelLeft + 40;
constexpr double ActionColumn = PanelLeft + 250;
constexpr float PanelOpacity = 0.88f;

// The muted sign: a speaker and a cross, at the top right, over everything but the cursor.
constexpr double MutedLeft = 976, MutedTop = 10, MutedSize = 20; // pixels
constexpr TTextColor MutedRed{1.0f, 0.35f, 0.3f};

double CentredLeft(TGameRenderer& renderer, std::string_view text, double height, double centre) {
    return centre - renderer.CaptionWidth(text, height) / 2;
}

// A dark translucent plate under text.
void DrawPlate(TGameRenderer& renderer, double left, double top, double right, double bottom, float opacity) {
    renderer.SetBlendNormal();
    platform::GL().Color4f(0.02f, 0.05f, 0.12f, opacity);
    renderer.DrawRect(true, left, top, right, bottom, GuideZ);
    renderer.SetBlendNone();
}

void DrawPanelFrame(TGameRenderer& renderer) {
    DrawPlate(renderer, PanelLeft, PanelTop, PanelRight, PanelBottom, PanelOpacity);
    platform::GL().Color4f(Brass.R, Brass.G, Brass.B, 1);
    platform::GL().LineWidth(2);
    renderer.DrawRect(false, PanelLeft, PanelTop, PanelRight, PanelBottom, GuideZ);
    platform::GL().LineWidth(1);
}

// A column of keys (or cells) and what they do; answers the baseline after the last.
template <std::size_t N>
double DrawHelpLines(TGameRenderer& renderer, const THelpKey (&lines)[N], double baseline,
                     const TTextColor& keyColor) {
    for (const THelpKey& line : lines) {
        renderer.DrawCaption(PlayerText(line.Key), KeyColumn, baseline, GuideZ, PanelTextHeight, keyColor);
        renderer.DrawCaption(PlayerText(line.Action), ActionColumn, baseline, GuideZ, PanelTextHeight, White);
        baseline += PanelLineSpacing;
    }
    return baseline;
}

} // namespace

TPlayerLine GoalLine(const TVaporelBox& box) {
    if (!box.PoolHoldsRedWater())
        return PlayerLine(BlueGoalFormat, box.Parameters().BlueWaterNumForClear);
    return PlayerLine(GoalFormat, box.Parameters().BlueWaterNumForClear, box.Parameters().EtcWaterNumForEnd);
}

bool GoalLineVisible(const TVaporelBox& box) {
    return box.State() == bsPlaying && box.StateTimer() < GoalLineFrames;
}

void DrawTitleHint(TGameRenderer& renderer) {
    const double centre = FieldWidth / 2.0;
    const std::string_view hint = PlayerText(TitleHint), helpKey = PlayerText(TitleHelpKey);
    renderer.DrawCaption(hint, CentredLeft(renderer, hint, TitleHintHeight, centre), TitleHintBaseline,
                         GuideZ, TitleHintHeight, White);
    renderer.DrawCaption(helpKey, CentredLeft(renderer, helpKey, TitleHintHeight, centre),
                         TitleHelpKeyBaseline, GuideZ, TitleHintHeight, Brass);
}

void DrawFieldLine(TGameRenderer& renderer, std::string_view text, double baseline, const TTextColor& color) {
    const double width = renderer.CaptionWidth(text, GoalLineHeight);
    const double left = (FieldLeft + FieldWidth - width) / 2;
    DrawPlate(renderer, left - PlateMargin, baseline - GoalLineHeight - PlateMargin / 2,
              left + width + PlateMargin, baseline + PlateMargin, PanelOpacity);
    renderer.DrawCaption(text, left, baseline, GuideZ, GoalLineHeight, color);
}

void DrawGoalLine(TGameRenderer& renderer, const TVaporelBox& box) {
    DrawFieldLine(renderer, GoalLine(box).View(), GoalLineBaseline, White);
}

void DrawHelpPanel(TGameRenderer& renderer, const TVaporelBox& box) {
    DrawPanelFrame(renderer);
    const double centre = (PanelLeft + PanelRight) / 2;
    const std::string_view title = PlayerText(HelpTitle);
    renderer.DrawCaption(title, CentredLeft(renderer, title, PanelTitleHeight, centre), PanelTitleBaseline,
                         GuideZ, PanelTitleHeight, Brass);
    const TPlayerLine goal = GoalLine(box);
    renderer.DrawCaption(goal.View(), CentredLeft(renderer, goal.View(), PanelTextHeight, centre),
                         PanelGoalBaseline, GuideZ, PanelTextHeight, White);
    double baseline = DrawHelpLines(renderer, HelpKeys, PanelKeysBaseline, WaterBlue);
    DrawHelpLines(renderer, HelpCells, baseline + PanelSectionGap, Brass);
}

void DrawEditorHelpPanel(TGameRenderer& renderer) {
    DrawPanelFrame(renderer);
    const std::string_view title = PlayerText(EditorHelpTitle);
    renderer.DrawCaption(title, CentredLeft(renderer, title, PanelTitleHeight, (PanelLeft + PanelRight) / 2),
                         PanelTitleBaseline, GuideZ, PanelTitleHeight, Brass);
    const double baseline = DrawHelpLines(renderer, EditorHelpKeys, PanelGoalBaseline, WaterBlue);
    DrawHelpLines(renderer, HelpCells, baseline + PanelSectionGap, Brass);
}

void DrawMutedSign(TGameRenderer& renderer) {
    using namespace platform::gl;
    const double x = MutedLeft, y = MutedTop, s = MutedSize;
    DrawPlate(renderer, x - 4, y - 4, x + s + 4, y + s + 4, PanelOpacity);
    platform::GL().Color4f(1, 1, 1, 1);
    // The speaker: a box and its cone, as one outline.
    platform::GL().Begin(GL_LINE_LOOP);
    for (const auto& [px, py] :
         {std::pair{0.0, 0.35}, {0.25, 0.35}, {0.55, 0.05}, {0.55, 0.95}, {0.25, 0.65}, {0.0, 0.65}})
        platform::GL().Vertex3f(static_cast<float>(x + px * s), static_cast<float>(y + py * s), GuideZ);
    platform::GL().End();
    platform::GL().Color4f(MutedRed.R, MutedRed.G, MutedRed.B, 1);
    platform::GL().LineWidth(2);
    platform::GL().Begin(GL_LINES);
    for (const auto& [px, py] : {std::pair{0.68, 0.3}, {1.0, 0.7}, {1.0, 0.3}, {0.68, 0.7}})
        platform::GL().Vertex3f(static_cast<float>(x + px * s), static_cast<float>(y + py * s), GuideZ);
    platform::GL().End();
    platform::GL().LineWidth(1);
}
