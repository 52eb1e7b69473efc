#pragma once

#include "assets/Pictures.h"

#include <QImage>
#include <QPoint>

#include <array>

// How the pictures are drawn. Kept apart from the catalogue so the tests can
// reach the mole layer and the shared hole geometry.
namespace assets::art {

// Top-left corners of the nine holes on the board, row by row.
inline constexpr std::array<QPoint, 9> BoardHoles{{
    {40, 80},
    {240, 80},
    {440, 80},
    {40, 205},
    {240, 205},
    {440, 205},
    {40, 330},
    {240, 330},
    {440, 330},
}};

// Every hole is the same tile: the rim's outer edge spans it.
inline constexpr int HoleWidth = 160;
inline constexpr int HoleHeight = 50;

// Row of a stage picture on which the hole's tile starts.
int holeTop(MoleStage stage);

// The picture at pictureSize() x ratio, premultiplied ARGB, device pixel ratio set.
QImage render(Picture picture, qreal devicePixelRatio);

// The mole of a stage picture on its own, already hidden below the hole's
// front lip; transparent wherever the hole tile shows through unchanged.
QImage moleLayer(MoleStage stage, MoleColour colour, qreal devicePixelRatio);

} // namespace assets::art
