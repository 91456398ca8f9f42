#pragma once

#include "WidgetsScreenWindows.h"

#include <QJsonObject>
#include <QList>

// Every visible text line of `windows`, with its characters' edges in root-window pixels, taken
// from Qt's own geometry: the truth JSON the bench reads.
QJsonObject truthOf(QList<Window>& windows);
