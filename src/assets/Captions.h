#pragma once

#include "assets/Pictures.h"

#include <QString>
#include <QStringList>

// The words painted on the pictures. The painting and a screen reader both take them from
// here, so what a player sees on a control and what it is called are one text.
namespace assets {

// The game's name, spelt out by the six title characters of the menu.
QString gameTitle();

// The words painted on a picture, in reading order: a button's face, a setting's title,
// the row captions of the results table (top to bottom). Empty for a picture without words.
QStringList captions(Picture picture);

} // namespace assets
