#include "game/states/GuideUnit.h"

#include "game/render/GameRendererUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "platform/OpenGLBinding.h"

#include <cstdio>

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
constexpr double PanelLeft = 112, PanelTop = 112, PanelRight = 912, PanelBottom = 656;
constexpr double PanelTitleHeight = 30;
constexpr double PanelTitleBaseline = PanelTop + 48;
constexpr double PanelGoalBaseline = PanelTitleBaseline + 44;
constexpr double PanelTextHeight = 18;
constexpr double PanelLineSpacing = 27;
constexpr double PanelKeysBaseline = PanelGoalBaseline + PanelLineSpacing + 14; // a gap below the goal
constexpr double KeyColumn = PanelLeft + 40;
constexpr double ActionColumn = PanelLeft + 250;
constexpr float PanelOpacity = 0.88f;

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

} // namespace

TGuideLine GoalLine(std::int32_t blueForClear, std::int32_t etcForEnd) {
    TGuideLine line;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    // The format is a literal or a catalogue text: it ends in a NUL.
    std::snprintf(line.Text.data(), line.Text.size(), PlayerText(GoalFormat).data(), blueForClear, etcForEnd);
#pragma GCC diagnostic pop
    return line;
}

bool GoalLineVisible(const TVaporelBox& box) {
    return box.State == bsPlaying && box.StateTimer < GoalLineFrames;
}

void DrawTitleHint(TGameRenderer& renderer) {
    const double centre = FieldWidth / 2.0;
    const std::string_view hint = PlayerText(TitleHint), helpKey = PlayerText(TitleHelpKey);
    renderer.DrawCaption(hint, CentredLeft(renderer, hint, TitleHintHeight, centre), TitleHintBaseline,
                         GuideZ, TitleHintHeight, White);
    renderer.DrawCaption(helpKey, CentredLeft(renderer, helpKey, TitleHintHeight, centre),
                         TitleHelpKeyBaseline, GuideZ, TitleHintHeight, Brass);
}

void DrawGoalLine(TGameRenderer& renderer, const TVaporelBox& box) {
    const TGuideLine goal = GoalLine(box.BlueWaterNumForClear, box.EtcWaterNumForEnd);
    const double width = renderer.CaptionWidth(goal.View(), GoalLineHeight);
    const double left = (FieldLeft + FieldWidth - width) / 2;
    DrawPlate(renderer, left - PlateMargin, GoalLineBaseline - GoalLineHeight - PlateMargin / 2,
              left + width + PlateMargin, GoalLineBaseline + PlateMargin, PanelOpacity);
    renderer.DrawCaption(goal.View(), left, GoalLineBaseline, GuideZ, GoalLineHeight, White);
}

void DrawHelpPanel(TGameRenderer& renderer, const TVaporelBox& box) {
    DrawPanelFrame(renderer);
    const double centre = (PanelLeft + PanelRight) / 2;
    const std::string_view title = PlayerText(HelpTitle);
    renderer.DrawCaption(title, CentredLeft(renderer, title, PanelTitleHeight, centre), PanelTitleBaseline,
                         GuideZ, PanelTitleHeight, Brass);
    const TGuideLine goal = GoalLine(box.BlueWaterNumForClear, box.EtcWaterNumForEnd);
    renderer.DrawCaption(goal.View(), CentredLeft(renderer, goal.View(), PanelTextHeight, centre),
                         PanelGoalBaseline, GuideZ, PanelTextHeight, White);
    double baseline = PanelKeysBaseline;
    for (const THelpKey& key : HelpKeys) {
        renderer.DrawCaption(PlayerText(key.Key), KeyColumn, baseline, GuideZ, PanelTextHeight, WaterBlue);
        renderer.DrawCaption(PlayerText(key.Action), ActionColumn, baseline, GuideZ, PanelTextHeight, White);
        baseline += PanelLineSpacing;
    }
}
