#pragma once

#include "core/AxisBox.h"
#include "core/GameObject.h"

// The box in which a car counts as inside an object of the track (a
// checkpoint gate, a speed zone, a bonus), and the box the branch tree
// keeps for it: the object's own box widened by its tree box. Scene parts
// read from plain mesh nodes carry only part boxes, no oriented box, so
// their own box shrinks to a point in x and y; the part boxes are what the
// real geometry fills.
inline AxisBox TriggerBox(const CPGameObject& object)
{
    AxisBox box = object.GetOwnBox();
    box.Merge(object.GetTreeBox());
    return box;
}
