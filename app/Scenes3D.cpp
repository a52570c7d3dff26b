// Scenes 12 and 17, the 3D objects. The dolphin turns over the warped
// background under three light shafts that flare where the background's
// green is bright, then swims off to the right. Then the helix glows over
// the last picture, the man forms under the turning lights out of the helix
// points, smeared by the feedback, and the picture whites out and fades to
// black.
#include "Scenes.h"

#include "3DStuff.h"
#include "Feedback.h"
#include "General.h"
#include "Helix.h"

namespace {

// The warped background follows the object's turn.
void DrawTurningBackground()
{
    DrawWarpOfs(long(623.0 - double(Angle3DX) * 0.609), &Background);
}

// Angle3DX advanced by 2 F, truncated, within one turn.
void TurnObject(float F)
{
    Angle3DX = long(double(Angle3DX) + 2.0 * double(F)) & (kAngles3D - 1);
}

// Light shafts from above the page, one for each of the columns 197, 200 and
// 203 of the background's row 20, as bright as that pixel's green is above
// 200.
void DrawLightShafts()
{
    const auto *row = static_cast<const uint32_t *>(Background.pPageData);
    if (!row || Background.Width < 204 || Background.Height < 21)
        return;
    row += 20 * Background.Width;
    struct Shaft {
        int32_t column, x2, y2, x3, y3;
    };
    static const Shaft shafts[3] = {{197, 150, 200, 100, 120}, {200, 220, 200, 180, 200}, {203, 320, 100, 260, 180}};
    for (const Shaft &s : shafts) {
        const int32_t v = int32_t((row[s.column] >> 8) & 0xFF) - 200;
        if (v > 0)
            ShadeTriLight(s.column, -50, v, v, v, s.x2, s.y2, 0, 0, 0, s.x3, s.y3, 0, 0, 0, page);
    }
}

void Draw3DObject(float F) { Do3DEffect(hMainAppWnd, hDrawWindowDC, F, page); }

// Scene 17's motion: the man turns and rises into place.
void ManMotion(float F)
{
    TurnObject(F);
    if (TransY < 0)
        TransY = long(double(TransY) + 0.2 * double(F));
}

// Scene 17's drawing: the helix into the smeared background, the background
// onto the page, the man over it.
void ManDrawing(float F)
{
    DoHelixEffect(hMainAppWnd, hDrawWindowDC, long(F), &Background);
    BitBlt(page->hPageDC, 0, 0, 400, 308, Background.hPageDC, 0, 0);
    Draw3DObject(F);
}

} // namespace

void SceneDolphin(float F)
{
    switch (DemoSubState1) {
    case 0:
        DemoSubState1 = 1;
        SetOffsets(-15, -15);
        SelectObject3D(&objDolphin, &objDolphinTemp);
        [[fallthrough]];
    case 1:
    case 2:
    case 3:
        TurnObject(F);
        DrawTurningBackground();
        BitBlt(page->hPageDC, 0, 0, 400, 308, Background.hPageDC, 0, 0);
        if (DemoSubState1 != 1) {
            Draw3DObject(F);
            DrawLightShafts();
        }
        Present();
        break;
    case 4:
        // Leaving: the turn runs down and the dolphin swims off to the right.
        Angle3DX = long(double(Angle3DX) * 0.95);
        if (Angle3DX != 0)
            DrawTurningBackground();
        BitBlt(page->hPageDC, 0, 0, 400, 308, Background.hPageDC, 0, 0);
        if (TransX < 1000)
            TransX = long(double(TransX) + 3.0 * double(F));
        Draw3DObject(F);
        Present();
        break;
    default:
        break;
    }
}

void SceneHelixMan(float F)
{
    switch (DemoSubState1) {
    case 0:
        DemoSubState1 = 1;
        SetOffsets(-15, -15);
        BitBlt(Background.hPageDC, 0, 0, 400, 308, page->hPageDC, 0, 0);
        [[fallthrough]];
    case 1:
        // The helix over the last picture, which dims slowly toward green.
        DimScreen32(&Background, 2, 1, 2);
        DoHelixEffect(hMainAppWnd, hDrawWindowDC, long(F), &Background);
        EffectBlt(hMainAppWnd, hDrawWindowDC, &Background);
        break;
    case 2:
        SelectObject3D(&objMan, &objManTemp);
        DemoSubState1 = 3;
        TransX = 0;
        SetOffsets(-15, -15);
        [[fallthrough]];
    case 3:
        ManMotion(F);
        DoFeedbackEffect(&Background);
        DimScreen32(&Background, 20, 30, 30);
        ManDrawing(F);
        Present();
        break;
    case 4:
        // The helix points start their flight onto the man's vertices.
        ResetHelixPoints();
        DemoSubState1 = 5;
        [[fallthrough]];
    case 5:
        ManMotion(F);
        DoFeedbackEffect(&Background);
        DimScreen32(&Background, 20, 20, 10);
        InitPointsFrom3D(&objManTemp);
        ManDrawing(F);
        Present();
        break;
    case 6:
        // White-out.
        if (Brightness < 255) {
            Brightness = long(double(Brightness) + 2.0 * double(F));
            if (Brightness > 255)
                Brightness = 255;
            ManMotion(F);
            DoFeedbackEffect(&Background);
            DimScreen32(&Background, 20, 20, 20);
            InitPointsFrom3D(&objManTemp);
            ManDrawing(F);
            const uint32_t b = uint32_t(Brightness);
            BrightenScreen32(page, b, b, b);
            Present();
        } else {
            Brightness = 255;
            Cls32(page, 255, 255, 255);
            Present();
            DemoSubState1 = 7;
        }
        break;
    case 7:
        // Fade to black; a long frame never takes the level below 0.
        if (Brightness > 0) {
            Brightness = long(double(Brightness) - double(F));
            if (Brightness < 0)
                Brightness = 0;
            const uint32_t b = uint32_t(Brightness);
            Cls32(page, b, b, b);
        } else {
            Cls32(page, 0, 0, 0);
        }
        Present();
        break;
    default:
        break;
    }
}
